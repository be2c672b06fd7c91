// WebKit for the browser checks: Debian's WebKitWebDriver (webkit2gtk-driver)
// starting the MiniBrowser of WebKitGTK, Safari's engine, driven over W3C
// WebDriver with plain HTTP (node's fetch). It needs an X display (DISPLAY: an
// Xvfb, see harness/with_xvfb.sh). The session it gives has the little of
// puppeteer's page the harness's waits use: evaluate(fn, ...args), and lines
// (the page's gameLines: WebKit's driver has no console log); click(x, y) at a
// CSS pixel of the viewport; press(key); close().
'use strict';

const { spawn } = require('child_process');
const fs = require('fs');
const net = require('net');

// The MiniBrowser of Debian's WebKitGTK (in the multiarch library folder), or $MINIBROWSER.
function miniBrowser() {
  if (process.env.MINIBROWSER) return process.env.MINIBROWSER;
  const found = fs.readdirSync('/usr/lib').map((dir) => `/usr/lib/${dir}/webkit2gtk-4.1/MiniBrowser`)
    .find((file) => fs.existsSync(file));
  if (!found) throw new Error('no MiniBrowser under /usr/lib/*/webkit2gtk-4.1 (Debian\'s libwebkit2gtk-4.1-0)');
  return found;
}

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer().once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// Starts the driver and a MiniBrowser session with a window of width x height.
async function launchWebKit({ width = 1100, height = 900 } = {}) {
  if (!process.env.DISPLAY) throw new Error('WebKit needs an X display (DISPLAY): run it under Xvfb');
  const port = await freePort();
  const driver = spawn(process.env.WEBKIT_WEBDRIVER || 'WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore' });
  const exited = new Promise((resolve) => driver.once('exit', resolve));
  const base = `http://127.0.0.1:${port}`;
  const call = async (method, path, body) => {
    const response = await fetch(`${base}${path}`, {
      method, headers: { 'Content-Type': 'application/json' }, body: body === undefined ? undefined : JSON.stringify(body),
    });
    const { value } = await response.json();
    if (!response.ok) throw new Error(`WebDriver ${method} ${path}: ${value && value.error}: ${value && value.message}`);
    return value;
  };
  for (const end = Date.now() + 30000; ;) {
    if (await call('GET', '/status').then((status) => status.ready, () => false)) break;
    if (Date.now() > end) throw new Error('WebKitWebDriver did not answer in 30 s');
    await new Promise((resolve) => setTimeout(resolve, 200));
  }
  let id;
  try {
    ({ sessionId: id } = await call('POST', '/session', {
      capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': { binary: miniBrowser(), args: ['--automation'] } } },
    }));
  } catch (error) {
    driver.kill();
    throw error;
  }
  const at = `/session/${id}`;
  await call('POST', `${at}/window/rect`, { width, height });
  const session = {
    goto: (url) => call('POST', `${at}/url`, { url }),
    // fn's source run in the page with args (JSON), its value (or its promise's) returned.
    evaluate: (fn, ...args) => call('POST', `${at}/execute/async`, {
      script: `const done = arguments[arguments.length - 1];
        Promise.resolve((${fn}).apply(null, Array.prototype.slice.call(arguments, 0, -1))).then(done, (e) => done({ thrown: String(e) }));`,
      args,
    }),
    lines: [],
    // Reads the page's printed lines into lines (the waits read them from there).
    readLines: async () => {
      session.lines = await session.evaluate(() => (typeof gameLines === 'undefined' ? [] : gameLines.slice()));
      return session.lines;
    },
    click: (x, y) => call('POST', `${at}/actions`, {
      actions: [{
        type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' },
        actions: [{ type: 'pointerMove', x: Math.round(x), y: Math.round(y), origin: 'viewport' },
          { type: 'pointerDown', button: 0 }, { type: 'pause', duration: 50 }, { type: 'pointerUp', button: 0 }],
      }],
    }),
    press: (key) => call('POST', `${at}/actions`, {
      actions: [{ type: 'key', id: 'keyboard', actions: [{ type: 'keyDown', value: key }, { type: 'keyUp', value: key }] }],
    }),
    close: async () => {
      await call('DELETE', at).catch(() => {});
      driver.kill();
      await exited;
    },
  };
  return session;
}

module.exports = { launchWebKit };
