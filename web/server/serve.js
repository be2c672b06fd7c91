// A static file server for the browser build's folder, on 127.0.0.1 unless told
// to serve the local network.
//
//   node web/server/serve.js SITE_DIR [PORT] [--lan]      (PORT 0: any free port)
//
// Prints the page's address; serves until stopped. With --lan it listens on
// every interface and also prints this machine's network address, for a phone
// on the same network. No request stops it: a malformed escape gets 400, a
// method other than GET and HEAD 405, anything outside the site folder
// (dot-dot in any spelling, a sibling folder, a symbolic link leading out) 404.
// Every answer carries Cache-Control: no-cache, so a new build is seen at once.
// A file with a Brotli (.br) or gzip (.gz) copy beside it (the site build writes
// them, and it passes the file's own checks) is sent as that copy to a browser
// whose Accept-Encoding takes it (the highest q wins, Brotli on a tie), with
// Content-Encoding; its answers carry Vary: Accept-Encoding.
// Tests use serve() directly.
'use strict';

const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.png': 'image/png', '.svg': 'image/svg+xml',
  '.webmanifest': 'application/manifest+json', '.json': 'application/json', '.css': 'text/css; charset=utf-8',
};

// The file under folder (a real path) that urlPath names, or a status code:
// 400 for a malformed escape, 404 for anything not a file inside the folder.
function resolveFile(folder, urlPath) {
  let name;
  try {
    name = decodeURIComponent(new URL(urlPath, 'http://127.0.0.1').pathname);
  } catch {
    return 400;
  }
  if (name.includes('\0')) return 400;
  const wanted = path.join(folder, name === '/' ? 'index.html' : name);  // the site's entry page
  let real;
  try {
    real = fs.realpathSync(wanted);  // follows symbolic links, so a link out is seen as out
  } catch {
    return 404;
  }
  if (!inside(folder, real)) return 404;
  try {
    return fs.statSync(real).isFile() ? real : 404;
  } catch {
    return 404;
  }
}

// True when real (a real path) lies inside folder (and is not folder itself).
function inside(folder, real) {
  const relative = path.relative(folder, real);
  return relative !== '' && !relative.startsWith('..') && !path.isAbsolute(relative);
}

// The copies a server may send in a file's place, best first.
const encodings = [['br', '.br'], ['gzip', '.gz']];

// The copy of file (a real path inside folder) ending in suffix, as a real
// path, or null: it is held to the file's own check (a symbolic link leading
// out is no copy), and one older than its file (a partial build, a file
// changed by hand) is never sent in its place.
function copyOf(folder, file, suffix) {
  try {
    const real = fs.realpathSync(file + suffix);
    const stat = fs.statSync(real);
    return inside(folder, real) && stat.isFile() && stat.mtimeMs >= fs.statSync(file).mtimeMs ? real : null;
  } catch {
    return null;
  }
}

// The encodings an Accept-Encoding header takes, each with its q (1 unless
// given; a q of 0 refuses one).
function accepted(header = '') {
  const taken = new Map();
  for (const part of header.split(',')) {
    const [name, ...parameters] = part.trim().toLowerCase().split(';').map((word) => word.trim());
    const q = parameters.find((parameter) => parameter.startsWith('q='));
    const weight = q ? Number(q.slice(2)) : 1;
    if (name && weight > 0) taken.set(name, weight);
  }
  return taken;
}

// Of the copies ([encoding, real path], the server's order), the one the
// header takes with the highest q, the first of them on a tie; or undefined.
function chooseCopy(copies, header) {
  const taken = accepted(header);
  return copies.filter(([encoding]) => taken.has(encoding))
    .reduce((best, copy) => (best && taken.get(best[0]) >= taken.get(copy[0]) ? best : copy), undefined);
}

function answer(response, status, headers = {}) {
  response.writeHead(status, { 'Cache-Control': 'no-cache', ...headers });
  response.end();
}

// Serves siteFolder on host (127.0.0.1 unless given) at port; resolves to
// { server, url } (the page on 127.0.0.1).
function serve(siteFolder, port = 0, host = '127.0.0.1') {
  const folder = fs.realpathSync(path.resolve(siteFolder));
  const server = http.createServer((request, response) => {
    try {
      if (request.method !== 'GET' && request.method !== 'HEAD') {
        answer(response, 405, { Allow: 'GET, HEAD' });
        return;
      }
      const file = resolveFile(folder, request.url);
      if (typeof file === 'number') {
        answer(response, file);
        return;
      }
      const headers = { 'Content-Type': types[path.extname(file)] || 'application/octet-stream', 'Cache-Control': 'no-cache' };
      const copies = encodings.map(([encoding, suffix]) => [encoding, copyOf(folder, file, suffix)])
        .filter(([, copy]) => copy !== null);
      const chosen = chooseCopy(copies, request.headers['accept-encoding']);
      const sent = chosen ? chosen[1] : file;
      if (copies.length > 0) headers.Vary = 'Accept-Encoding';
      if (chosen) headers['Content-Encoding'] = chosen[0];
      headers['Content-Length'] = fs.statSync(sent).size;
      response.writeHead(200, headers);
      if (request.method === 'HEAD') {
        response.end();
        return;
      }
      fs.createReadStream(sent).on('error', () => response.destroy()).pipe(response);
    } catch {
      if (!response.headersSent) answer(response, 500);
      else response.destroy();
    }
  });
  server.on('clientError', (error, socket) => {
    if (socket.writable) socket.end('HTTP/1.1 400 Bad Request\r\nConnection: close\r\n\r\n');
    else socket.destroy();
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, host, () => {
      resolve({ server, url: `http://127.0.0.1:${server.address().port}/index.html` });
    });
  });
}

// This machine's IPv4 addresses on its networks (not the loopback).
function networkAddresses() {
  return Object.values(os.networkInterfaces()).flat()
    .filter((entry) => entry && entry.family === 'IPv4' && !entry.internal)
    .map((entry) => entry.address);
}

module.exports = { serve, networkAddresses };

if (require.main === module) {
  const args = process.argv.slice(2);
  const lan = args.includes('--lan');
  const [site, port] = args.filter((arg) => arg !== '--lan');
  if (!site) {
    console.error('usage: node web/server/serve.js SITE_DIR [PORT] [--lan]');
    process.exit(2);
  }
  serve(site, Number(port || 0), lan ? '0.0.0.0' : '127.0.0.1').then(({ server, url }) => {
    console.log(`Fetch is served at ${url} (Ctrl-C stops it)`);
    if (!lan) return;
    const addresses = networkAddresses();
    const { port: bound } = server.address();
    if (addresses.length === 0) {
      console.log('This machine has no network address: a phone cannot reach it.');
    }
    for (const address of addresses) console.log(`On this network: http://${address}:${bound}/index.html`);
    console.log('Over plain http a phone plays but gets no offline play and cannot install the app: '
      + 'browsers allow those only over https or on localhost.');
  }, (error) => {
    console.error(`cannot serve on port ${port}: ${error.message}`);
    process.exit(1);
  });
}
