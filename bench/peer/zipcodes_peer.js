#!/usr/bin/env node
// Times the npm package zipcodes (a benchmark peer, never a dependency) on the same
// workloads as Quorvane. The package is found through NODE_PATH, which
// bench/peer_bench.sh points at its scratch install.
//   zipcodes_peer.js lines PAIRS_FILE OUT_FILE   tab-separated zip pairs, one a line
//   zipcodes_peer.js radius CENTRES_FILE MILES   one centre zip a line
//   zipcodes_peer.js augment TABLE OUT_FILE      a CSV table (id,from_zip,to_zip,name)
//                                                written back with miles,status,from_zip,to_zip
// ZIPCODES_PEER_WARMUP=0 skips the untimed warm-up pass of `lines`.
// Each prints `name value` lines; `pairs_per_second N` / `queries_per_second N` lead.
'use strict';
const fs = require('fs');

function usage(problem) {
  if (problem) console.error('zipcodes_peer: ' + problem);
  console.error('usage: zipcodes_peer.js lines PAIRS_FILE OUT_FILE\n' +
                '       zipcodes_peer.js radius CENTRES_FILE MILES');
  process.exit(2);
}

function loadPeer() {
  try {
    return require('zipcodes');
  } catch (e) {
    console.error('zipcodes_peer: cannot load the zipcodes package; set NODE_PATH to the ' +
                  'node_modules folder it is installed in');
    process.exit(2);
  }
}

function readLines(path) {
  let st;
  try {
    st = fs.statSync(path);
  } catch (e) {
    usage('cannot read ' + path);
  }
  if (!st.isFile()) usage(path + ' is not a regular file');
  return fs.readFileSync(path, 'latin1').split('\n').map((l) => l.replace(/\r$/, ''))
      .filter((l) => l !== '');
}

const seconds = (t0) => Number(process.hrtime.bigint() - t0) / 1e9;

// The sentence Quorvane prints; the peer's distance is already whole miles, and NaN
// where its arccosine overshoots 1 (a zip code with itself), which is kept as it comes.
function sentences(zipcodes, pairs, count) {
  const out = new Array(count);
  for (let i = 0; i < count; i++) {
    const [a, b] = pairs[i];
    const miles = zipcodes.distance(a, b);
    if (miles === null) {
      const missing = zipcodes.lookup(a) ? b : a;
      out[i] = 'No details found for zip code: ' + missing;
    } else {
      out[i] = 'Distance between ' + a + ' and ' + b + ' is ' + miles + ' miles';
    }
  }
  return out;
}

function lines(pairsFile, outFile) {
  const zipcodes = loadPeer();
  const pairs = readLines(pairsFile).map((l) => {
    const tab = l.indexOf('\t');
    if (tab < 0) usage('line without a tab in ' + pairsFile + ': ' + l.slice(0, 40));
    return [l.slice(0, tab), l.slice(tab + 1)];
  });
  if (pairs.length === 0) usage('no pairs in ' + pairsFile);
  // Warm-up lets the JIT settle so the timed pass measures steady work, not compilation;
  // ZIPCODES_PEER_WARMUP=0 leaves it out when the whole process is being timed.
  const warmup = process.env.ZIPCODES_PEER_WARMUP === '0' ? 0 : 200000;
  sentences(zipcodes, pairs, Math.min(pairs.length, warmup));
  const t0 = process.hrtime.bigint();
  const text = sentences(zipcodes, pairs, pairs.length).join('\n') + '\n';
  const work = seconds(t0);
  const t1 = process.hrtime.bigint();
  fs.writeFileSync(outFile, text, 'latin1');
  const write = seconds(t1);
  let notFound = 0, nan = 0;
  for (const l of text.split('\n')) {
    if (l.startsWith('No details')) notFound++;
    else if (l.endsWith(' NaN miles')) nan++;
  }
  console.log('pairs_per_second ' + Math.round(pairs.length / work));
  console.log('pairs ' + pairs.length);
  console.log('seconds ' + work.toFixed(4));
  console.log('write_seconds ' + write.toFixed(4));
  console.log('not_found ' + notFound);
  console.log('nan_distances ' + nan);
}

function radius(centresFile, milesText) {
  const miles = Number(milesText);
  if (!Number.isFinite(miles) || miles < 0) usage('bad radius ' + milesText);
  const zipcodes = loadPeer();
  const centres = readLines(centresFile);
  if (centres.length === 0) usage('no centres in ' + centresFile);
  for (let i = 0; i < Math.min(centres.length, 20); i++) zipcodes.radius(centres[i], miles);
  const times = new Array(centres.length);
  let found = 0, missing = 0, withCentre = 0;
  const t0 = process.hrtime.bigint();
  for (let i = 0; i < centres.length; i++) {
    const q = process.hrtime.bigint();
    const zips = zipcodes.radius(centres[i], miles);
    times[i] = Number(process.hrtime.bigint() - q) / 1e6;
    found += zips.length;
    if (!zipcodes.lookup(centres[i])) missing++;
    else if (zips.includes(centres[i])) withCentre++;
  }
  const total = seconds(t0);
  times.sort((x, y) => x - y);
  const mid = times.length >> 1;
  const median = times.length % 2 ? times[mid] : (times[mid - 1] + times[mid]) / 2;
  console.log('queries_per_second ' + (centres.length / total).toFixed(1));
  console.log('median_query_ms ' + median.toFixed(3));
  console.log('queries ' + centres.length);
  console.log('seconds ' + total.toFixed(3));
  console.log('zips_found ' + found);
  console.log('centres_unknown_to_peer ' + missing);
  console.log('results_holding_their_centre ' + withCentre);
}

// The fields of one CSV line: quoted fields may hold commas and doubled quotes.
function splitCsv(line) {
  const fields = [];
  let i = 0;
  for (;;) {
    if (line[i] === '"') {
      let f = '';
      i++;
      for (;;) {
        const q = line.indexOf('"', i);
        if (q < 0) { f += line.slice(i); i = line.length; break; }
        f += line.slice(i, q);
        if (line[q + 1] === '"') { f += '"'; i = q + 2; } else { i = q + 1; break; }
      }
      fields.push(f);
    } else {
      const c = line.indexOf(',', i);
      fields.push(line.slice(i, c < 0 ? line.length : c));
      i = c < 0 ? line.length : c;
    }
    if (i >= line.length) return fields;
    i++;  // the comma
  }
}

const csvField = (t) => (/[",\r\n]/.test(t) ? '"' + t.replace(/"/g, '""') + '"' : t);

// As a spreadsheet writes a zip code: an apostrophe, ZIP+4, leading zeros lost.
function cleanZip(cell) {
  let t = cell.trim();
  if (t.startsWith("'")) t = t.slice(1);
  if (/^\d{5}-\d{4}$/.test(t)) t = t.slice(0, 5);
  if (/^\d{1,5}$/.test(t)) return t.padStart(5, '0');
  return null;
}

// The same job as `quorvane-cli augment TABLE --from from_zip --to to_zip`.
function augment(tableFile, outFile) {
  const zipcodes = loadPeer();
  const rows = readLines(tableFile);
  const out = new Array(rows.length);
  out[0] = rows[0] + ',miles,status,from_zip,to_zip';
  for (let i = 1; i < rows.length; i++) {
    const f = splitCsv(rows[i]);
    const a = cleanZip(f[1]), b = cleanZip(f[2]);
    const miles = a && b ? zipcodes.distance(a, b) : null;
    const status = miles !== null ? '' : a && b ? 'not-in-table' : 'not-a-zip';
    out[i] = f.map(csvField).join(',') + ',' + (miles === null ? '' : miles) + ',' + status +
        ',' + (a || '') + ',' + (b || '');
  }
  fs.writeFileSync(outFile, out.join('\r\n') + '\r\n', 'latin1');
}

const [mode, file, arg] = process.argv.slice(2);
if (mode === 'lines' && file && arg) lines(file, arg);
else if (mode === 'augment' && file && arg) augment(file, arg);
else if (mode === 'radius' && file && arg) radius(file, arg);
else usage(null);
