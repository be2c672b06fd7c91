// The page in Firefox ESR (Debian's firefox-esr), driven over WebDriver BiDi:
// it loads with its twelve load lines, draws the scene (sky above, ground
// below), a click throws and the dog runs out and home, and 'q' plays the
// closing scene. Firefox needs a display here (headless it has no WebGL):
// run_browser_tests.sh gives it a private Xvfb in DISPLAY.
//
//   node firefox.js SITE_DIR WORK_DIR
'use strict';

const lib = require('../../../harness/browser.js');
const {
  expect, runChecks, loadLines, waitForGame, expectScene, waitDogGone, waitDogHome, waitEndLine, IMAGES,
} = lib;

const [siteDir, workDir] = process.argv.slice(2);
const session = lib.browserSession(siteDir, workDir, 'firefox', lib.launchFirefox);

runChecks([
  ['Firefox: the page loads and draws, a click throws, q ends the game', async () => {
    const page = await lib.openGame(session.browser, session.url);
    await waitForGame(page, 20);
    expect('load lines in order', loadLines(page).join(' '), loadLines(page).join(' ') === IMAGES);
    await expectScene(page);
    const box = await lib.canvasBox(page);
    const at = lib.atCanvas(box, 300, 250);
    await page.mouse.click(at.x, at.y);
    await waitDogGone(page);
    await waitDogHome(page);
    await page.keyboard.press('q');
    await waitEndLine(page);
    const errors = page.lines.filter((line) => line.startsWith('page error'));
    expect('no uncaught exception', errors.join(' | ') || 'none', errors.length === 0);
    await page.close();
  }],
], session);
