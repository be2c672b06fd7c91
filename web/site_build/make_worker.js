// Writes the site's offline worker: web/page/sw.js with the list of the site's files
// (not their compressed copies, which a server sends in their place) and a hash
// of their names and contents filled in. Run after every build of
// the site; the same files give the same worker, byte for byte.
//
//   node web/site_build/make_worker.js SITE_DIR
'use strict';

const crypto = require('crypto');
const fs = require('fs');
const path = require('path');
const { siteFiles } = require('./compress.js');

const site = process.argv[2];
if (!site) {
  console.error('usage: node web/site_build/make_worker.js SITE_DIR');
  process.exit(2);
}
const files = siteFiles(site).filter((name) => name !== 'sw.js');
const hash = crypto.createHash('sha256');
for (const name of files) hash.update(`${name}\0`).update(fs.readFileSync(path.join(site, name))).update('\0');
const template = fs.readFileSync(path.join(__dirname, '..', 'page', 'sw.js'), 'utf8');
const fill = { '[/* the site\'s files */]': JSON.stringify(files), '/* hash of the files */': hash.digest('hex').slice(0, 16) };
let worker = template;
for (const [placeholder, value] of Object.entries(fill)) {
  if (!worker.includes(placeholder)) throw new Error(`web/page/sw.js has lost its placeholder ${placeholder}`);
  worker = worker.replace(placeholder, value);
}
fs.writeFileSync(path.join(site, 'sw.js'), worker);
