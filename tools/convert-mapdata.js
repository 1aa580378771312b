#!/usr/bin/env node
// Converts the state and county outlines of the npm package us-atlas, already projected
// to the Albers USA composite (scale 1300, translate [487.5, 305], 975 x 610), into the
// compact file data/us_outlines.bin that quorvane-map draws.
//
//   mkdir -p /tmp/mapsrc && cd /tmp/mapsrc &&
//   npm install --no-save us-atlas@3.0.1 topojson-client@3.1.0
//   node tools/convert-mapdata.js /tmp/mapsrc data/us_outlines.bin
//
// Layout, little-endian: "QVOUTLN1"; u16 states; per state: 2 bytes FIPS code, u8 name
// length, name (UTF-8), u16 rings, per ring u32 points and the points; then u32 county
// border lines (borders between counties of one state), per line u32 points and the
// points. A point is two i16, x and y times 20 (1/20 of a map unit).
'use strict';
const fs = require('fs');
const path = require('path');

const [src, out] = process.argv.slice(2);
if (!src || !out) {
  console.error('usage: convert-mapdata.js SCRATCH_FOLDER OUTPUT_FILE');
  process.exit(2);
}
const need = (name) => require(path.join(src, 'node_modules', name));
const topojson = need('topojson-client');
const states = need('us-atlas/states-albers-10m.json');
const counties = need('us-atlas/counties-albers-10m.json');

const parts = [];
const u8 = (v) => parts.push(Buffer.from([v]));
const u16 = (v) => { const b = Buffer.alloc(2); b.writeUInt16LE(v); parts.push(b); };
const u32 = (v) => { const b = Buffer.alloc(4); b.writeUInt32LE(v); parts.push(b); };
let pointCount = 0;
function line(points) {
  u32(points.length);
  const b = Buffer.alloc(points.length * 4);
  points.forEach(([x, y], i) => {
    b.writeInt16LE(Math.round(x * 20), i * 4);
    b.writeInt16LE(Math.round(y * 20), i * 4 + 2);
  });
  parts.push(b);
  pointCount += points.length;
}

parts.push(Buffer.from('QVOUTLN1', 'latin1'));
const features = topojson.feature(states, states.objects.states).features;
features.sort((a, b) => (a.properties.name < b.properties.name ? -1 : 1));
u16(features.length);
for (const f of features) {
  parts.push(Buffer.from(f.id, 'latin1'));
  const name = Buffer.from(f.properties.name, 'utf8');
  u8(name.length);
  parts.push(name);
  const g = f.geometry;
  const rings = (g.type === 'Polygon' ? [g.coordinates] : g.coordinates).flat();
  u16(rings.length);
  for (const r of rings) line(r.slice(0, -1));  // a ring closes itself
}
const sameState = (a, b) => a !== b && a.id.slice(0, 2) === b.id.slice(0, 2);
const mesh = topojson.mesh(counties, counties.objects.counties, sameState).coordinates;
u32(mesh.length);
for (const l of mesh) line(l);

const data = Buffer.concat(parts);
fs.writeFileSync(out, data);
console.log(`${out}: ${features.length} states, ${mesh.length} county border lines, ` +
            `${pointCount} points, ${data.length} bytes`);
