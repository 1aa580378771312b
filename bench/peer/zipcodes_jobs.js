#!/usr/bin/env node
// The npm package zipcodes (a benchmark peer, never a dependency) doing the jobs of
// `within --centres` and `assign` as a user would script them, in one node process,
// building the output it would hand the user. Found through NODE_PATH.
//   zipcodes_jobs.js make ZIPS_FILE CUSTOMERS STORES CENTRES   the workload files
//   zipcodes_jobs.js centres CENTRES_FILE MILES OUT_FILE       radius of every centre
//   zipcodes_jobs.js assign CUSTOMERS STORES K LIMIT OUT_FILE   K nearest stores of the
//                                                              first LIMIT customers
'use strict';
const fs = require('fs');

function usage(problem) {
  console.error('zipcodes_jobs: ' + problem);
  process.exit(2);
}
const peer = () => require('zipcodes');
const lines = (path) => fs.readFileSync(path, 'latin1').split('\n').filter((l) => l !== '');

// A fixed pseudo-random sequence, so that every run measures the same files.
let seed = 20;
const random = () => ((seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648);

function make(zipsFile, customersFile, storesFile, centresFile) {
  const zips = lines(zipsFile);
  const pick = () => zips[Math.floor(random() * zips.length)];
  const out = fs.openSync(customersFile, 'w');
  let chunk = ['id,zip,name'];
  for (let i = 0; i < 1000000; i++) {
    chunk.push(i + ',' + pick() + ',"Customer ' + i + ', Inc."');
    if (chunk.length === 100000) fs.writeSync(out, chunk.join('\n') + '\n'), chunk = [];
  }
  fs.writeSync(out, chunk.length ? chunk.join('\n') + '\n' : '');
  fs.closeSync(out);
  const stores = ['zip,store'];
  for (let i = 0; i < 2000; i++) stores.push(pick() + ',Store ' + i);
  fs.writeFileSync(storesFile, stores.join('\n') + '\n');
  const centres = [];
  for (let i = 0; i < 1000; i++) centres.push(pick());
  fs.writeFileSync(centresFile, centres.join('\n') + '\n');
}

function centres(centresFile, milesText, outFile) {
  const zipcodes = peer();
  const miles = Number(milesText);
  const out = [];
  for (const c of lines(centresFile))
    for (const z of zipcodes.radius(c, miles)) out.push(c + ',' + z + ',' + zipcodes.distance(c, z));
  fs.writeFileSync(outFile, 'centre,zip,miles\n' + out.join('\n') + '\n');
}

function assign(customersFile, storesFile, kText, limitText, outFile) {
  const zipcodes = peer();
  const k = Number(kText), limit = Number(limitText);
  const stores = lines(storesFile).slice(1).map((l) => l.split(','));
  const customers = lines(customersFile);
  const out = [customers[0] + ',rank,store_zip,store,miles,status'];
  for (let i = 1; i <= limit && i < customers.length; i++) {
    const line = customers[i];
    const zip = line.split(',')[1];
    const near = [];
    for (const [s, name] of stores) {
      const d = zipcodes.distance(zip, s);
      if (d !== null) near.push([d, s, name]);
    }
    near.sort((a, b) => a[0] - b[0] || (a[1] < b[1] ? -1 : a[1] > b[1] ? 1 : 0));
    if (near.length === 0) out.push(line + ',,,,,not-in-table');
    for (let r = 0; r < Math.min(k, near.length); r++)
      out.push(line + ',' + (r + 1) + ',' + near[r][1] + ',' + near[r][2] + ',' + near[r][0] + ',');
  }
  fs.writeFileSync(outFile, out.join('\n') + '\n');
}

const [what, ...args] = process.argv.slice(2);
if (what === 'make' && args.length === 4) make(...args);
else if (what === 'centres' && args.length === 3) centres(...args);
else if (what === 'assign' && args.length === 5) assign(...args);
else usage('usage: make ZIPS CUSTOMERS STORES CENTRES | centres FILE MILES OUT | assign CUSTOMERS STORES K LIMIT OUT');
