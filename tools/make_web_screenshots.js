// The browser version's pictures for the README: the whole page, the canvas
// alone, and the page on a phone-sized touch screen (landscape 844 x 390),
// with the clock at a given second (so that the trees match a desktop picture
// taken at the same second).
//
//   NODE_PATH=build-web/node/node_modules node tools/make_web_screenshots.js SITE_DIR STAMP PAGE.png CANVAS.png PHONE.png
'use strict';

const lib = require('../harness/browser.js');

const [site, stamp, pageFile, canvasFile, phoneFile] = process.argv.slice(2);
const PHONE = { width: 844, height: 390, deviceScaleFactor: 1, isMobile: true, hasTouch: true, isLandscape: true };
lib.runTool(site, 'screenshots', async (browser, url) => {
  const page = await lib.openGame(browser, url, { fixedTime: Number(stamp) });
  await page.setViewport({ width: 1040, height: 820 });
  await lib.waitFor('60 frames', async () => (await lib.frameCount(page)) >= 60, 300);
  await page.screenshot({ path: canvasFile, clip: await lib.canvasBox(page) });
  await page.screenshot({ path: pageFile });
  await page.close();
  const phone = await lib.openGame(browser, url, { fixedTime: Number(stamp), viewport: PHONE });
  await lib.waitFor('60 frames on the phone', async () => (await lib.frameCount(phone)) >= 60, 300);
  await phone.screenshot({ path: phoneFile });
});
