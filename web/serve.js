// A static file server for the browser build's folder, on 127.0.0.1 only.
//
//   node web/serve.js SITE_DIR [PORT]      (PORT 0: any free port)
//
// Prints the page's address; serves until stopped. Tests use serve() directly.
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');

const types = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.png': 'image/png',
};

// Serves siteFolder on 127.0.0.1 at port; resolves to { server, url } (the page).
function serve(siteFolder, port = 0) {
  const folder = path.resolve(siteFolder);
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    const file = path.join(folder, name === '/' ? 'fetch.html' : name);
    if (!file.startsWith(folder) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => {
      resolve({ server, url: `http://127.0.0.1:${server.address().port}/fetch.html` });
    });
  });
}

module.exports = { serve };

if (require.main === module) {
  const [site, port] = process.argv.slice(2);
  if (!site) {
    console.error('usage: node web/serve.js SITE_DIR [PORT]');
    process.exit(2);
  }
  serve(site, Number(port || 0)).then(({ url }) => {
    console.log(`Fetch is served at ${url} (Ctrl-C stops it)`);
  }, (error) => {
    console.error(`cannot serve on port ${port}: ${error.message}`);
    process.exit(1);
  });
}
