#!/usr/bin/env node
// Writes a benchmark workload from a list of zip codes (one a line), with a seeded
// generator so every machine and every round gets the same file.
//   make_workload.js pairs   ZIPS COUNT SEED OUT   random pairs, tab-separated
//   make_workload.js list    ZIPS COUNT SEED OUT   random entries, repeats allowed
//   make_workload.js sample  ZIPS COUNT SEED OUT   distinct random entries
//   make_workload.js consecutive LIST OUT          pairs (1,2), (2,3), ... of a list
//   make_workload.js table   ZIPS COUNT SEED OUT   a CSV export: id, two zip codes as
//                                                  spreadsheets write them, a name with
//                                                  commas and quotes
'use strict';
const fs = require('fs');

function fail(problem) {
  console.error('make_workload: ' + problem);
  process.exit(2);
}

function readZips(path) {
  if (!fs.existsSync(path) || !fs.statSync(path).isFile()) fail(path + ' is not a regular file');
  const zips = fs.readFileSync(path, 'latin1').split('\n').filter((l) => l !== '');
  if (zips.length === 0) fail('no zip codes in ' + path);
  return zips;
}

// splitmix32: small, fast and identical on every platform, unlike awk's or shuf's.
function generator(seed) {
  let s = seed >>> 0;
  return (n) => {
    s = (s + 0x9e3779b9) >>> 0;
    let z = s;
    z = Math.imul(z ^ (z >>> 16), 0x85ebca6b) >>> 0;
    z = Math.imul(z ^ (z >>> 13), 0xc2b2ae35) >>> 0;
    z = (z ^ (z >>> 16)) >>> 0;
    return Math.floor((z / 4294967296) * n);
  };
}

function count(text) {
  const n = Number(text);
  if (!Number.isInteger(n) || n < 1) fail('bad count ' + text);
  return n;
}

const [mode, zipsFile, a, b, c] = process.argv.slice(2);
let out = [];
let outFile;
if (mode === 'consecutive' && zipsFile && a) {
  const list = readZips(zipsFile);
  for (let i = 1; i < list.length; i++) out.push(list[i - 1] + '\t' + list[i]);
  outFile = a;
} else if (mode === 'table' && zipsFile && a && b && c) {
  // Written in pieces: a table of millions of rows is too long for one string.
  const zips = readZips(zipsFile);
  const n = count(a), pick = generator(Number(b));
  const names = ['Smith, Jo', 'O"Brien "Bo"', 'Lee', 'Garcia, Ana "Ani"', 'Ng'];
  // A spreadsheet's ways: as stored, its leading zeros lost, ZIP+4, an apostrophe.
  const written = (zip) => {
    const way = pick(10);
    if (way < 6) return zip;
    if (way < 8) return String(Number(zip));
    if (way < 9) return zip + '-' + String(1000 + pick(9000));
    return "'" + zip;
  };
  const quoted = (t) => (/[",]/.test(t) ? '"' + t.replace(/"/g, '""') + '"' : t);
  const fd = fs.openSync(c, 'w');
  let chunk = 'id,from_zip,to_zip,name\r\n';
  for (let i = 1; i <= n; i++) {
    const from = written(zips[pick(zips.length)]), to = written(zips[pick(zips.length)]);
    chunk += i + ',' + from + ',' + to + ',' + quoted(names[pick(names.length)] + ' ' + i) + '\r\n';
    if (chunk.length > 1 << 20) {
      fs.writeSync(fd, chunk, null, 'latin1');
      chunk = '';
    }
  }
  fs.writeSync(fd, chunk, null, 'latin1');
  fs.closeSync(fd);
  process.exit(0);
} else if (['pairs', 'list', 'sample'].includes(mode) && zipsFile && a && b && c) {
  const zips = readZips(zipsFile);
  const n = count(a), pick = generator(Number(b));
  outFile = c;
  if (mode === 'pairs') {
    for (let i = 0; i < n; i++) out.push(zips[pick(zips.length)] + '\t' + zips[pick(zips.length)]);
  } else if (mode === 'list') {
    for (let i = 0; i < n; i++) out.push(zips[pick(zips.length)]);
  } else {
    if (n > zips.length) fail('cannot take ' + n + ' distinct of ' + zips.length);
    const copy = zips.slice();
    for (let i = 0; i < n; i++) {
      const j = i + pick(copy.length - i);
      [copy[i], copy[j]] = [copy[j], copy[i]];
    }
    out = copy.slice(0, n);
  }
} else {
  fail('usage: make_workload.js pairs|list|sample|table ZIPS COUNT SEED OUT | consecutive LIST OUT');
}
fs.writeFileSync(outFile, out.join('\n') + '\n', 'latin1');
