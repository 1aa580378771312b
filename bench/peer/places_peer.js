#!/usr/bin/env node
// The npm package zipcodes (a benchmark peer, never a dependency) doing the jobs of
// quorvane-cli lookup and find, as whole processes; found through NODE_PATH.
//   places_peer.js lookup LIST_FILE   a zip code a line; writes zip,city,state,lat,lon lines
//   places_peer.js find NAME STATE    the zip codes of a place, the same columns
'use strict';
const fs = require('fs');
const zipcodes = require('zipcodes');

const row = (z) => (z ? `${z.zip},${z.city},${z.state},${z.latitude},${z.longitude}` : '');
const [job, a, b] = process.argv.slice(2);
let lines;
if (job === 'lookup') {
  lines = fs.readFileSync(a, 'utf8').split('\n').filter(Boolean).map((zip) => {
    const z = zipcodes.lookup(zip);
    return z ? row(z) : `${zip},,,,`;
  });
} else if (job === 'find') {
  lines = zipcodes.lookupByName(a, b).map(row);
} else {
  console.error('usage: places_peer.js lookup LIST_FILE | find NAME STATE');
  process.exit(2);
}
process.stdout.write(lines.join('\n') + '\n');
