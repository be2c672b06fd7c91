// The drawing buffer and the GPU: at device pixel ratio 2 the buffer is twice
// the canvas' shown size and holds ratio 1's scene, only finer, and follows the
// ratio; a context lost there pauses the frames, and restored draws the same
// scene again, after which a click throws the bone; a context lost during a
// throw, at once and again as the dog runs, runs no timer (the bone and the
// dog stand still) and the throw then ends as it would have, the tree on its
// path knocked over; a shader that does not link puts words on the page and
// nothing draws.
//
//   node density.js SITE_DIR WORK_DIR
'use strict';

const path = require('path');
const lib = require('../../../harness/browser.js');
const {
  expect, runChecks, loadLines, waitForGame, waitFrames, changed, share, GREEN, REGIONS, waitDogGone, waitDogHome, IMAGES,
  loseContext,
} = require('../../../harness/browser.js');

const [siteDir, workDir] = process.argv.slice(2);
const VIEWPORT = { width: 1100, height: 900 };
const session = lib.browserSession(siteDir, workDir, 'density');

// Sets the device pixel ratio and waits for the buffer to follow: 1000 x 500 times it.
async function atRatio(page, ratio) {
  await page.setViewport({ ...VIEWPORT, deviceScaleFactor: ratio });
  await lib.waitFor(`a buffer for ratio ${ratio}`, () => page.evaluate((r) => {
    const canvas = document.getElementById('canvas');
    return canvas.width === 1000 * r && canvas.height === 500 * r;
  }, ratio), 30);
  await waitFrames(page, 3);
}

// The picture halved, each pixel the mean of the four it covers.
function halved({ width, height, data }) {
  const out = Buffer.alloc(data.length / 4);
  for (let i = 0; i < out.length; ++i) {
    const x = (i >> 2) % (width / 2), y = Math.floor((i >> 2) / (width / 2)), c = i & 3;
    const at = (dx, dy) => data[((2 * y + dy) * width + 2 * x + dx) * 4 + c];
    out[i] = Math.round((at(0, 0) + at(1, 0) + at(0, 1) + at(1, 1)) / 4);
  }
  return { width: width / 2, height: height / 2, data: out };
}

// --- a loss during a throw -------------------------------------------------------------------
// With the trees of TREES_STAMP, a click at column 388 in the 230th drawn frame (the
// meter at 0.86, falling) throws the bone past the tree at (-6, -30), which
// the dog knocks over some 2.3 s into its run out; TREE_CROWN frames that
// tree's crown, where the sky shows once it has fallen.
const TREES_STAMP = 1765108805;
const THROW = { frame: 230, x: 388, y: 250 };
const TREE_CROWN = [400, 200, 40, 50];

// Before the page's scripts: a count of the timer callbacks that run while
// the context is lost. The game's timers are the page's only ones, and while
// the frames are paused every step of the bone and the dog is one of them.
function countTimersWhileLost() {
  window.timerCallsWhileLost = 0;
  let lost = false;
  const setTimer = window.setTimeout;
  window.setTimeout = (callback, ...rest) => setTimer((...args) => {
    if (lost) window.timerCallsWhileLost += 1;
    return callback(...args);
  }, ...rest);
  document.addEventListener('DOMContentLoaded', () => {
    const canvas = document.getElementById('canvas');
    canvas.addEventListener('webglcontextlost', () => { lost = true; });
    canvas.addEventListener('webglcontextrestored', () => { lost = false; });
  });
}

// THROW's click, made by the page between that drawn frame and the next (the
// meter steps once a drawn frame, so it reads the same in every run), and the
// context lost three frames later, the bone in flight; resolves to the drawn
// frame of the click.
const throwThenLose = (page) => page.evaluate(({ frame, x, y }) => new Promise((resolve) => {
  const canvas = document.getElementById('canvas');
  const [first] = performance.getEntriesByName('fetch-first-frame');
  const drawn = () => Browser.mainLoop.currentFrameNumber - first.detail + 1;
  const atFrame = (at, then) => (drawn() >= at ? then() : requestAnimationFrame(() => atFrame(at, then)));
  atFrame(frame, () => {
    const clicked = drawn();
    const box = canvas.getBoundingClientRect();
    const at = { clientX: box.left + (x * box.width) / canvas.width, clientY: box.top + (y * box.height) / canvas.height };
    for (const type of ['mousedown', 'mouseup']) canvas.dispatchEvent(new MouseEvent(type, { ...at, button: 0, bubbles: true }));
    atFrame(clicked + 3, () => {
      window.loser = canvas.getContext('webgl').getExtension('WEBGL_lose_context');
      window.loser.loseContext();
      resolve(clicked);
    });
  });
}), THROW);

// Two seconds of a lost context, then the context back: the timer callbacks run while it was lost.
async function restoredAfterTwoSeconds(page) {
  await new Promise((resolve) => setTimeout(resolve, 2000));
  await loseContext(page, 'restoreContext');
  await waitFrames(page, 2);
  return page.evaluate(() => window.timerCallsWhileLost);
}

runChecks([
  ['density: ratio 2 draws the scene finer; a lost context comes back and plays on', async () => {
    const page = await lib.openGame(session.browser, session.url, { viewport: { ...VIEWPORT, deviceScaleFactor: 2 } });
    await waitForGame(page);
    const box = await lib.canvasBox(page);
    expect('shown at 1000 x 500 CSS pixels', `${box.width}x${box.height}`, box.width === 1000 && box.height === 500);
    await atRatio(page, 2);
    const fine = await lib.canvasPixels(page);
    await page.screenshot({ path: path.join(workDir, 'ratio-2.png'), clip: box });
    await atRatio(page, 1);
    const apart = changed(halved(fine), await lib.canvasPixels(page), REGIONS.scene_below_sky, 24);
    expect('share of pixels more than 24 levels from ratio 1\'s, halved (edges, leaves)', apart, apart < 0.05);
    await atRatio(page, 2);

    await loseContext(page, 'loseContext');
    const pausedAt = await lib.frameCount(page);
    await new Promise((resolve) => setTimeout(resolve, 500));
    expect('frames while lost', (await lib.frameCount(page)) - pausedAt, (await lib.frameCount(page)) === pausedAt);
    await loseContext(page, 'restoreContext');
    await waitFrames(page, 5);
    const redrawn = changed(fine, await lib.canvasPixels(page), REGIONS.scene_below_sky, 24);
    expect('share of pixels more than 24 levels from before the loss', redrawn, redrawn < 0.02);
    const at = lib.atCanvas(box, 300, 250);
    await page.mouse.click(at.x, at.y);
    await waitDogGone(page);
    // (The driver's notes on reading pixels back are the check's own doing.)
    const notes = page.lines.filter((line) => !line.startsWith('trying to load ') && !/GL Driver Message/.test(line));
    expect('the console: the two notes only', notes.join(' | '), notes.length === 2 && /lost/.test(notes[0]) && /back/.test(notes[1]));
    expect('the images loaded once (no reload)', loadLines(page).length, loadLines(page).join(' ') === IMAGES);
    await page.close();
  }],

  ['density: a context lost during a throw holds the bone and the dog, and the throw ends as it would have', async () => {
    const page = await lib.openGame(session.browser, 'about:blank', { fixedTime: TREES_STAMP, viewport: VIEWPORT });
    await page.evaluateOnNewDocument(countTimersWhileLost);
    await page.goto(session.url);
    await waitForGame(page, 3);
    const thrown = throwThenLose(page);
    thrown.catch(() => {});  // awaited below; a check that fails first closes the page under it
    const standing = share(await lib.canvasPixels(page), TREE_CROWN, GREEN);
    expect('the tree on the path stands: leaf share of its crown', standing, standing > 0.5);
    expect(`the click made in frame ${THROW.frame}`, await thrown, (await thrown) === THROW.frame);
    const inFlight = await restoredAfterTwoSeconds(page);
    expect('lost at once, the bone in flight: timer callbacks while lost', inFlight, inFlight === 0);
    await waitDogGone(page);
    await loseContext(page, 'loseContext');
    const running = await restoredAfterTwoSeconds(page);
    expect('lost again, the dog running out: timer callbacks while lost', running, running === 0);
    await waitDogHome(page);
    const knocked = share(await lib.canvasPixels(page), TREE_CROWN, GREEN);
    expect('the throw ends with the tree knocked over: leaf share of its crown', knocked, knocked < 0.05);
    await page.close();
  }],

  ['density: a shader that does not link says so on the page and nothing draws', async () => {
    const page = await lib.openGame(session.browser, 'about:blank', { viewport: VIEWPORT });
    // A varying the vertex shader never writes: each stage compiles, the link fails.
    await page.evaluateOnNewDocument(() => {
      const shaderSource = WebGLRenderingContext.prototype.shaderSource;
      WebGLRenderingContext.prototype.shaderSource = function (shader, source) {
        const broken = source.replace('varying vec4 vColour;', 'varying vec4 vColour;\nvarying float vUnset;')
          .replace('gl_FragColor = c;', 'gl_FragColor = c * vUnset;');
        return shaderSource.call(this, shader, source.includes('gl_FragColor') ? broken : source);
      };
    });
    await page.goto(session.url);
    const text = await lib.waitFor('the problem line', () => lib.problemLine(page), 60);
    expect('the problem line says the shader did not link, and what to try', text,
      /shader did not link/.test(text) && /try another browser/.test(text));
    await new Promise((resolve) => setTimeout(resolve, 500));
    expect('no frames', await lib.frameCount(page), (await lib.frameCount(page)) === 0);
    const errors = page.lines.filter((line) => line.startsWith('page error'));
    expect('no uncaught exception', errors.join(' | ') || 'none', errors.length === 0);
  }],
], session);
