// The browser version's pictures for the README: the whole page, and the
// canvas alone, with the clock at a given second (so that the trees match a
// desktop picture taken at the same second).
//
//   NODE_PATH=build-web/node/node_modules node tools/make_web_screenshots.js SITE_DIR STAMP PAGE.png CANVAS.png
'use strict';

const lib = require('../harness/browser.js');

const [site, stamp, pageFile, canvasFile] = process.argv.slice(2);
lib.runTool(site, 'screenshots', async (browser, url) => {
  const page = await lib.openGame(browser, url, { fixedTime: Number(stamp) });
  await page.setViewport({ width: 1040, height: 820 });
  await lib.waitFor('60 frames', async () => (await lib.frameCount(page)) >= 60, 300);
  const box = await (await page.$('#canvas')).boundingBox();
  await page.screenshot({ path: canvasFile, clip: { x: box.x + 1, y: box.y + 1, width: 1000, height: 500 } });
  await page.screenshot({ path: pageFile });
});
