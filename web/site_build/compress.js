// Writes a gzip (.gz) and a Brotli (.br) copy beside every file of the site
// that compresses, for a server to send in its place to a browser that accepts
// it (web/server/serve.js does). PNGs are compressed already: they get none,
// nor does a file its copy would not make smaller. Copies of files no longer in
// the site are removed. The same files give the same copies, byte for byte: the
// gzip header carries no time and no name.
//
//   node web/site_build/compress.js SITE_DIR
'use strict';

const fs = require('fs');
const path = require('path');
const zlib = require('zlib');

const copies = {
  '.gz': (bytes) => zlib.gzipSync(bytes, { level: 9 }),
  '.br': (bytes) => zlib.brotliCompressSync(bytes, {
    params: { [zlib.constants.BROTLI_PARAM_QUALITY]: 11, [zlib.constants.BROTLI_PARAM_SIZE_HINT]: bytes.length },
  }),
};
const compressed = ['.png'];

// The site's own files, without the copies.
function siteFiles(site) {
  return fs.readdirSync(site).filter((name) => !(path.extname(name) in copies)
    && fs.statSync(path.join(site, name)).isFile()).sort();
}

module.exports = { siteFiles, copyKinds: Object.keys(copies) };

if (require.main === module) {
  const site = process.argv[2];
  if (!site) {
    console.error('usage: node web/site_build/compress.js SITE_DIR');
    process.exit(2);
  }
  const files = siteFiles(site);
  for (const name of fs.readdirSync(site)) {
    if (path.extname(name) in copies && !files.includes(path.basename(name, path.extname(name)))) {
      fs.rmSync(path.join(site, name));
    }
  }
  for (const name of files) {
    const bytes = fs.readFileSync(path.join(site, name));
    for (const [kind, compress] of Object.entries(copies)) {
      const copy = path.join(site, name + kind);
      const smaller = compressed.includes(path.extname(name)) ? null : compress(bytes);
      if (smaller && smaller.length < bytes.length) fs.writeFileSync(copy, smaller);
      else fs.rmSync(copy, { force: true });
    }
  }
}
