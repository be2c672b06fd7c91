// The browser version's frame time at rest in headless Chromium: frames drawn
// over a stretch of wall-clock time, and how much of each frame the page's own
// script (the game and its browser layer) takes; the rest is WebGL in the
// browser's GPU process and compositing.
//
//   NODE_PATH=build-web/node/node_modules node tools/web_frame_time.js SITE_DIR [SECONDS]
'use strict';

const lib = require('../harness/browser.js');

const [site, secondsText] = process.argv.slice(2);
const seconds = Number(secondsText || 10);
lib.runTool(site, 'frame-time', async (browser, url) => {
  const page = await lib.openGame(browser, url);
  await lib.waitFor('60 frames', async () => (await lib.frameCount(page)) >= 60, 300);
  const before = { frames: await lib.frameCount(page), metrics: await page.metrics(), time: Date.now() };
  await new Promise((resolve) => setTimeout(resolve, seconds * 1000));
  const after = { frames: await lib.frameCount(page), metrics: await page.metrics(), time: Date.now() };
  const frames = after.frames - before.frames;
  const msPerFrame = (after.time - before.time) / frames;
  const scriptMs = ((after.metrics.ScriptDuration - before.metrics.ScriptDuration) * 1000) / frames;
  console.log(`web rest: ${msPerFrame.toFixed(1)} ms/frame (${(1000 / msPerFrame).toFixed(1)} fps) over ${frames} frames; ` +
    `page script ${scriptMs.toFixed(1)} ms/frame (${((100 * scriptMs) / msPerFrame).toFixed(0)} %)`);
});
