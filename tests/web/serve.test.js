// The page's server (web/server/serve.js) under hostile requests: each is followed by
// a normal request that must still get the page. Also its types and caching,
// the compressed copies it sends by Accept-Encoding, and --lan's printed address. Every request goes to 127.0.0.1 only.
//
//   node --test tests/web/serve.test.js
'use strict';

const assert = require('node:assert/strict');
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const net = require('node:net');
const os = require('node:os');
const path = require('node:path');
const { after, before, test } = require('node:test');
const { serve, networkAddresses } = require('../../web/server/serve.js');

const SERVE_JS = path.join(__dirname, '../../web/server/serve.js');
let root;
let site;
let server;
let port;

// A request as a browser or an attacker would send it, path untouched.
function raw(text) {
  return new Promise((resolve, reject) => {
    const socket = net.connect(port, '127.0.0.1', () => socket.write(text));
    let reply = '';
    socket.on('data', (chunk) => { reply += chunk; });
    socket.on('end', () => resolve(reply));
    socket.on('error', reject);
    socket.setTimeout(10000, () => socket.destroy(new Error(`no answer to ${JSON.stringify(text.split('\r\n')[0])}`)));
  });
}

async function get(pathText, method = 'GET', extra = '') {
  const reply = await raw(`${method} ${pathText} HTTP/1.1\r\nHost: 127.0.0.1\r\n${extra}Connection: close\r\n\r\n`);
  const [head, ...body] = reply.split('\r\n\r\n');
  const [status, ...lines] = head.split('\r\n');
  const headers = Object.fromEntries(lines.map((line) => {
    const at = line.indexOf(':');
    return [line.slice(0, at).toLowerCase(), line.slice(at + 1).trim()];
  }));
  return { status: Number(status.split(' ')[1]), headers, body: body.join('\r\n\r\n') };
}

async function stillServesThePage() {
  const page = await get('/fetch.html');
  assert.equal(page.status, 200);
  assert.equal(page.body, '<p>the page</p>');
}

before(async () => {
  root = fs.mkdtempSync(path.join(os.tmpdir(), 'fetch-serve-'));
  site = path.join(root, 'site');
  fs.mkdirSync(site);
  fs.writeFileSync(path.join(site, 'fetch.html'), '<p>the page</p>');
  fs.writeFileSync(path.join(site, 'index.html'), '<p>the entry page</p>');
  fs.writeFileSync(path.join(site, 'sw.js'), '// the worker');
  fs.writeFileSync(path.join(site, 'sw.js.br'), 'brotli copy');
  fs.writeFileSync(path.join(site, 'sw.js.gz'), 'gzip');
  fs.writeFileSync(path.join(site, 'fetch.html.gz'), 'an older build');  // older than its file: never sent
  fs.utimesSync(path.join(site, 'fetch.html.gz'), new Date(2000, 0, 1), new Date(2000, 0, 1));
  fs.writeFileSync(path.join(site, 'fetch.webmanifest'), '{}');
  fs.writeFileSync(path.join(site, 'icon-192.png'), 'png');
  fs.writeFileSync(path.join(site, 'fetch.svg'), '<svg/>');
  fs.mkdirSync(path.join(root, 'site-secret'));  // a sibling whose name starts with the site's
  fs.writeFileSync(path.join(root, 'site-secret', 'key.txt'), 'secret');
  fs.writeFileSync(path.join(root, 'outside.txt'), 'secret');
  fs.symlinkSync(path.join(root, 'outside.txt'), path.join(site, 'link-out.txt'));
  fs.writeFileSync(path.join(site, 'game.js'), '// the game');  // its gzip copy a link out of the site
  fs.utimesSync(path.join(site, 'game.js'), new Date(2000, 0, 1), new Date(2000, 0, 1));
  fs.symlinkSync(path.join(root, 'outside.txt'), path.join(site, 'game.js.gz'));
  ({ server } = await serve(site));
  ({ port } = server.address());
});

after(() => {
  server.close();
  fs.rmSync(root, { recursive: true, force: true });
});

test('server: hostile requests get their error and the page is still served after each', async (t) => {
  const cases = [
    ['a malformed escape', 'GET', '/%E0%A4%A', 400],
    ['a lone percent sign', 'GET', '/%', 400],
    ['an escaped NUL', 'GET', '/fetch.html%00.png', 400],
    ['dot-dot, plain', 'GET', '/../outside.txt', 404],
    ['dot-dot with escaped slashes', 'GET', '/..%2f..%2foutside.txt', 404],
    ['dot-dot with escaped dots', 'GET', '/%2e%2e/%2E%2E/outside.txt', 404],
    ['dot-dot escaped twice', 'GET', '/%252e%252e%252foutside.txt', 404],
    ['dot-dot with backslashes', 'GET', '/..\\..\\outside.txt', 404],
    ['dot-dot without a leading slash (not HTTP)', 'GET', '../outside.txt', 400],
    ['a sibling folder starting with the site\'s name', 'GET', '/..%2fsite-secret%2fkey.txt', 404],
    ['a symbolic link leading out', 'GET', '/link-out.txt', 404],
    ['a missing file', 'GET', '/nothing.js', 404],
    ['POST', 'POST', '/fetch.html', 405],
    ['PUT', 'PUT', '/fetch.html', 405],
    ['DELETE', 'DELETE', '/fetch.html', 405],
  ];
  for (const [what, method, target, status] of cases) {
    await t.test(what, async () => {
      const reply = await get(target, method);
      assert.equal(reply.status, status);
      assert.doesNotMatch(reply.body, /secret/);
      if (status === 405) assert.equal(reply.headers.allow, 'GET, HEAD');
      await stillServesThePage();
    });
  }
  await t.test('a request that is not HTTP', async () => {
    assert.match(await raw('\x16\x03\x01 not http at all\r\n\r\n'), /^HTTP\/1\.1 400/);
    await stillServesThePage();
  });
});

test('server: files are served with their types, and the page and the worker are never stale', async () => {
  const cases = [
    ['/', 'text/html; charset=utf-8'],
    ['/fetch.html', 'text/html; charset=utf-8'],
    ['/sw.js', 'text/javascript; charset=utf-8'],
    ['/fetch.webmanifest', 'application/manifest+json'],
    ['/icon-192.png', 'image/png'],
    ['/fetch.svg', 'image/svg+xml'],
  ];
  for (const [target, type] of cases) {
    const reply = await get(target);
    assert.equal(reply.status, 200, target);
    assert.equal(reply.headers['content-type'], type, target);
    assert.equal(reply.headers['cache-control'], 'no-cache', target);
  }
  const head = await get('/fetch.html', 'HEAD');
  assert.equal(head.status, 200);
  assert.equal(head.headers['content-length'], String('<p>the page</p>'.length));
  assert.equal(head.body, '');
});

test('server: the site\'s bare address answers with its entry page, index.html', async () => {
  for (const target of ['/', '/?from=home', '/index.html']) {
    const reply = await get(target);
    assert.equal(reply.status, 200, target);
    assert.equal(reply.body, '<p>the entry page</p>', target);
  }
});

test('server: a compressed copy goes to a browser that accepts it, with its encoding', async () => {
  const cases = [  // file, Accept-Encoding, what is sent, its encoding
    ['/sw.js', 'gzip, deflate, br', 'brotli copy', 'br'],
    ['/sw.js', 'br;q=0, GZIP;q=0.5', 'gzip', 'gzip'],
    ['/sw.js', 'br;q=0.1, gzip', 'gzip', 'gzip'],  // the highest q wins
    ['/sw.js', 'gzip;q=0.5, br;q=0.5', 'brotli copy', 'br'],  // the server's order only breaks a tie
    ['/game.js', 'gzip', '// the game', undefined],  // a copy that leads out is no copy
    ['/sw.js', 'identity', '// the worker', undefined],
    ['/sw.js', null, '// the worker', undefined],
    ['/fetch.html', 'br, gzip', '<p>the page</p>', undefined],
  ];
  for (const [target, accept, body, encoding] of cases) {
    const reply = await get(target, 'GET', accept === null ? '' : `Accept-Encoding: ${accept}\r\n`);
    const what = `${target} for ${accept}`;
    assert.equal(reply.body, body, what);
    assert.equal(reply.headers['content-encoding'], encoding, what);
    assert.equal(reply.headers['content-length'], String(body.length), what);
    assert.equal(reply.headers['content-type'], target.endsWith('.js') ? 'text/javascript; charset=utf-8' : 'text/html; charset=utf-8', what);
    assert.equal(reply.headers.vary, target === '/sw.js' ? 'Accept-Encoding' : undefined, what);
  }
});

test('server: it keeps to 127.0.0.1 unless told to serve the network', async () => {
  assert.equal(server.address().address, '127.0.0.1');
  const lan = await serve(site, 0, '0.0.0.0');
  try {
    assert.equal(lan.server.address().address, '0.0.0.0');
  } finally {
    lan.server.close();
  }
});

test('server: --lan prints the network address and the plain-http warning once', async () => {
  const child = spawn(process.execPath, [SERVE_JS, site, '0', '--lan'], { stdio: ['ignore', 'pipe', 'inherit'] });
  try {
    let printed = '';
    await new Promise((resolve, reject) => {
      child.stdout.on('data', (chunk) => {
        printed += chunk;
        if (/install the app/.test(printed)) resolve();
      });
      child.on('exit', (code) => reject(new Error(`the server ended with ${code}: ${printed}`)));
    });
    const local = printed.match(/http:\/\/127\.0\.0\.1:(\d+)\/index\.html/);
    assert.ok(local, printed);
    const addresses = networkAddresses();
    const shown = [...printed.matchAll(/On this network: http:\/\/([\d.]+):(\d+)\/index\.html/g)];
    // Read, never contacted: tests send nothing to any address but 127.0.0.1.
    assert.deepEqual(shown.map((m) => m[1]), addresses);
    for (const m of shown) assert.equal(m[2], local[1]);
    if (addresses.length === 0) assert.match(printed, /no network address/);
    assert.equal(printed.match(/no offline play and cannot install the app/g).length, 1);
    const page = await new Promise((resolve, reject) => {
      http.get(local[0], (response) => {
        let body = '';
        response.on('data', (chunk) => { body += chunk; });
        response.on('end', () => resolve(body));
      }).on('error', reject);
    });
    assert.equal(page, '<p>the entry page</p>');
  } finally {
    child.kill();
  }
});
