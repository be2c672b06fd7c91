// The page in WebKit, Safari's engine (the engine of every browser on an
// iPhone or iPad): WebKitGTK's MiniBrowser over WebDriver (harness/webdriver.js),
// on the X display in DISPLAY. It loads with its twelve load lines, draws the
// scene (sky above, ground below), a click throws and the dog runs out and
// home, and 'q' plays the closing scene. A page that does not start (say,
// images.wasm missing) fails at once with what the page says.
//
//   node webkit.js SITE_DIR WORK_DIR
'use strict';

const fs = require('fs');
const lib = require('../../../harness/browser.js');
const { launchWebKit } = require('../../../harness/webdriver.js');
const {
  expect, runChecks, loadLines, expectScene, waitDogGone, waitDogHome, waitEndLine, IMAGES,
} = lib;

const [siteDir, workDir] = process.argv.slice(2);
const session = {};

runChecks([
  ['WebKit: the page loads and draws, a click throws, q ends the game', async () => {
    const page = await launchWebKit();
    session.page = page;
    await page.goto(session.url);
    await lib.waitFor('the twelve load lines, or a problem on the page', async () => {
      const problem = await lib.problemLine(page);
      if (problem) throw new Error(`the page says: ${problem}`);
      return (await page.readLines()).filter((line) => line.startsWith('trying to load ')).length === 12;
    }, 120);
    expect('load lines in order', loadLines(page).join(' '), loadLines(page).join(' ') === IMAGES);
    await lib.waitFor('20 frames', async () => (await lib.frameCount(page)) >= 20, 120);
    await expectScene(page);
    const box = await page.evaluate(() => {
      const r = document.getElementById('canvas').getBoundingClientRect();
      return { x: r.x, y: r.y, width: r.width, height: r.height };
    });
    const at = lib.atCanvas(box, 300, 250);
    await page.click(at.x, at.y);
    await waitDogGone(page);
    await waitDogHome(page);
    await page.press('q');
    await waitEndLine(page);
  }],
], {
  setUp: async () => {
    fs.mkdirSync(workDir, { recursive: true });
    ({ server: session.server, url: session.url } = await lib.serve(siteDir));
  },
  tearDown: async () => {
    if (session.page) await session.page.close();
    if (session.server) session.server.close();
  },
});
