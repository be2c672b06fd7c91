// The drawing buffer and the GPU: at device pixel ratio 2 the buffer is twice
// the canvas' shown size and holds ratio 1's scene, only finer, and follows the
// ratio; a context lost there pauses the frames, and restored draws the same
// scene again, after which a click throws the bone; a shader that does not
// link puts words on the page and nothing draws.
//
//   node density.js SITE_DIR WORK_DIR
'use strict';

const path = require('path');
const lib = require('../../../harness/browser.js');
const {
  expect, runChecks, loadLines, waitForGame, waitFrames, changed, REGIONS, waitDogGone, IMAGES,
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

// WEBGL_lose_context, kept (a lost context gives none), asked to 'loseContext' or 'restoreContext'.
const loseContext = (page, call) => page.evaluate((how) => {
  window.loser = window.loser || document.getElementById('canvas').getContext('webgl').getExtension('WEBGL_lose_context');
  window.loser[how]();
}, call);

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
    const text = await lib.waitFor('the problem line', () => page.evaluate(() => {
      const problem = document.getElementById('problem');
      return !problem.hidden && problem.textContent;
    }), 60);
    expect('the problem line says the shader did not link, and what to try', text,
      /shader did not link/.test(text) && /try another browser/.test(text));
    await new Promise((resolve) => setTimeout(resolve, 500));
    expect('no frames', await lib.frameCount(page), (await lib.frameCount(page)) === 0);
    const errors = page.lines.filter((line) => line.startsWith('page error'));
    expect('no uncaught exception', errors.join(' | ') || 'none', errors.length === 0);
  }],
], session);
