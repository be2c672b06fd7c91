// The drawing buffer and the GPU: on a screen of device pixel ratio 2 the
// buffer is twice the canvas' shown size and holds the scene drawn at ratio 1,
// only finer, and follows the ratio when it changes; a context lost there
// pauses the frames, and restored draws the same scene again, after which a
// click throws the bone; a shader that does not link puts words on the page
// and the game draws nothing.
//
//   node density.js SITE_DIR WORK_DIR
'use strict';

const fs = require('fs');
const path = require('path');
const lib = require('../../../harness/browser.js');
const {
  expect, runChecks, loadLines, waitForGame, waitFrames, changed, REGIONS, waitDogGone, IMAGES,
} = require('./checks.js');

const [siteDir, workDir] = process.argv.slice(2);
const VIEWPORT = { width: 1100, height: 900 };
let browser;
let server;
let url;

// The buffer's size, once it is width x height.
function bufferIs(page, width, height) {
  return lib.waitFor(`a ${width} x ${height} buffer`, () => page.evaluate((w, h) => {
    const canvas = document.getElementById('canvas');
    return canvas.width === w && canvas.height === h;
  }, width, height), 30);
}

// The picture scaled down by a whole factor, each pixel the mean of the ones it covers.
function downscaled(image, factor) {
  const width = image.width / factor;
  const height = image.height / factor;
  const data = Buffer.alloc(width * height * 4);
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
      for (let c = 0; c < 4; ++c) {
        let sum = 0;
        for (let dy = 0; dy < factor; ++dy) {
          for (let dx = 0; dx < factor; ++dx) sum += image.data[((y * factor + dy) * image.width + x * factor + dx) * 4 + c];
        }
        data[(y * width + x) * 4 + c] = Math.round(sum / (factor * factor));
      }
    }
  }
  return { width, height, data };
}

// The context's WEBGL_lose_context (kept: a lost context gives none), asked to lose or restore it.
function loseContext(page, how) {
  return page.evaluate((call) => {
    window.loser = window.loser || document.getElementById('canvas').getContext('webgl').getExtension('WEBGL_lose_context');
    window.loser[call]();
  }, how);
}

runChecks([
  ['density: ratio 2 draws the scene finer; a lost context comes back and plays on', async () => {
    const page = await lib.openGame(browser, url, { viewport: { ...VIEWPORT, deviceScaleFactor: 2 } });
    await waitForGame(page);
    const box = await lib.canvasBox(page);
    expect('shown at 1000 x 500 CSS pixels', `${box.width}x${box.height}`, box.width === 1000 && box.height === 500);
    await bufferIs(page, 2000, 1000);
    const fine = await lib.canvasPixels(page);
    await page.screenshot({ path: path.join(workDir, 'ratio-2.png'), clip: box });

    // The same scene at ratio 1, the buffer following the ratio both ways.
    await page.setViewport({ ...VIEWPORT, deviceScaleFactor: 1 });
    await bufferIs(page, 1000, 500);
    await waitFrames(page, 3);
    const coarse = await lib.canvasPixels(page);
    const apart = changed(downscaled(fine, 2), coarse, REGIONS.scene_below_sky, 24);
    expect('share of pixels more than 24 levels apart from ratio 1\'s, scaled down', apart, apart < 0.03);
    await page.setViewport({ ...VIEWPORT, deviceScaleFactor: 2 });
    await bufferIs(page, 2000, 1000);
    await waitFrames(page, 3);

    // Lost: no frames; restored: the same scene, and the game plays on.
    await loseContext(page, 'loseContext');
    await lib.waitFor('the context lost', () => page.evaluate(() => document.getElementById('canvas').getContext('webgl').isContextLost()), 10);
    const pausedAt = await lib.frameCount(page);
    await new Promise((resolve) => setTimeout(resolve, 500));
    expect('frames while lost', (await lib.frameCount(page)) - pausedAt, (await lib.frameCount(page)) === pausedAt);
    await loseContext(page, 'restoreContext');
    await waitFrames(page, 5);
    const restored = await lib.canvasPixels(page);
    await page.screenshot({ path: path.join(workDir, 'restored.png'), clip: box });
    const redrawn = changed(fine, restored, REGIONS.scene_below_sky, 24);
    expect('share of pixels more than 24 levels from before the loss', redrawn, redrawn < 0.02);
    const at = lib.atCanvas(box, 300, 250);
    await page.mouse.click(at.x, at.y);
    await waitDogGone(page);
    // (The driver's notes on reading pixels back are the check's own doing.)
    const notes = page.lines.filter((line) => !line.startsWith('trying to load ') && !/GL Driver Message/.test(line));
    expect('the console: the two notes only', notes.join(' | '),
      notes.length === 2 && /lost/.test(notes[0]) && /back/.test(notes[1]));
    expect('the images loaded once (no reload)', loadLines(page).length, loadLines(page).join(' ') === IMAGES);
    await page.close();
  }],

  ['density: a shader that does not link says so on the page and nothing draws', async () => {
    const page = await browser.newPage();
    page.lines = [];
    page.on('console', (message) => page.lines.push(message.text()));
    page.on('pageerror', (error) => page.lines.push(`page error: ${error.message}`));
    // A varying the vertex shader never writes: each stage compiles, the link fails.
    await page.evaluateOnNewDocument(() => {
      const shaderSource = WebGLRenderingContext.prototype.shaderSource;
      WebGLRenderingContext.prototype.shaderSource = function (shader, source) {
        const broken = source.replace('varying vec4 vColour;', 'varying vec4 vColour;\nvarying float vUnset;')
          .replace('gl_FragColor = c;', 'gl_FragColor = c * vUnset;');
        return shaderSource.call(this, shader, source.includes('gl_FragColor') ? broken : source);
      };
    });
    await page.setViewport(VIEWPORT);
    await page.goto(url);
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
    await page.close();
  }],
], {
  setUp: async () => {
    fs.mkdirSync(workDir, { recursive: true });
    ({ server, url } = await lib.serve(siteDir));
    browser = await lib.launch(fs.mkdtempSync(path.join(workDir, 'profile-density-')));
  },
  tearDown: async () => {
    if (browser) await browser.close();
    if (server) server.close();
  },
});
