// The browser build played in headless Chromium: the page loads and draws, the
// rest scene matches the desktop's, a click throws and the dog fetches, 'm'
// with the pointer steers, 'q' ends the game and leaves the end line.
//
//   node run_tests.js SITE_DIR WORK_DIR [DESKTOP_PPM STAMP]
//
// DESKTOP_PPM is the desktop game's rest scene (1000 x 500, binary PPM) taken
// with its clock started at STAMP (seconds since 1970) so that both plant the
// same trees; without it the comparison is skipped. Prints one line per check
// and "N passed, N failed"; exits 1 if any failed. FETCH_WEB_CHECKS=WORD runs
// only the checks whose names hold WORD.
'use strict';

const fs = require('fs');
const path = require('path');
const lib = require('../../../harness/browser.js');
const { regions, colours, share, changed } = require('../../../harness/regions.js');
const {
  expect, runChecks, waitToSee, waitForGame, waitDogGone, waitDogHome, waitEndLine, IMAGES,
} = lib;

const [siteDir, workDir, desktopPpm, stampText] = process.argv.slice(2);
if (!siteDir || !workDir) {
  console.error('usage: node run_tests.js SITE_DIR WORK_DIR [DESKTOP_PPM STAMP]');
  process.exit(2);
}
fs.mkdirSync(workDir, { recursive: true });

// --- pictures ----------------------------------------------------------------------------
// A binary PPM (P6, 8 bits), comment lines allowed in its header.
function readPpm(file) {
  const bytes = fs.readFileSync(file);
  const fields = [];
  let at = 0;
  while (fields.length < 4) {
    while (/\s/.test(String.fromCharCode(bytes[at]))) ++at;
    if (bytes[at] === 0x23) {  // '#': a comment to the end of the line
      while (bytes[at] !== 0x0a) ++at;
      continue;
    }
    const start = at;
    while (!/\s/.test(String.fromCharCode(bytes[at]))) ++at;
    fields.push(bytes.toString('latin1', start, at));
  }
  if (fields[0] !== 'P6' || fields[3] !== '255') throw new Error(`${file} is not an 8-bit binary PPM`);
  return { width: +fields[1], height: +fields[2], channels: 3, data: bytes.subarray(at + 1) };
}

// The screen regions and colour tests of harness/regions.json.
const { white: WHITE, sky: SKY, green: GREEN } = colours;
const {
  whole_window: WHOLE_WINDOW, dog_body: DOG_BODY,
  ground_near: GROUND_NEAR, sky_band: SKY_BAND, scene_below_sky: SCENE_BELOW_SKY,
} = regions;

// --- the checks ---------------------------------------------------------------------------
const session = lib.browserSession(siteDir, workDir, 'chromium');


async function startedPage(options) {
  const page = await lib.openGame(session.browser, session.url, options);
  await waitForGame(page, 60);
  page.box = await lib.canvasBox(page);
  return page;
}

async function shot(page, name) {
  const image = await lib.canvasPixels(page);
  if (name) {
    // The canvas as shown (its frame is drawn around it, outside this box).
    await page.screenshot({ path: path.join(workDir, `${name}.png`), clip: page.box });
  }
  return image;
}

const checks = [
  ['the page loads, the images load and the canvas draws', async () => {
    const page = await startedPage();
    const names = page.lines.filter((l) => l.startsWith('trying to load ')).map((l) => l.slice(15));
    expect('load lines in order', names.join(' '),
      names.join(' ') === IMAGES);
    const errors = page.lines.filter((l) => /error|abort|exception/i.test(l));
    expect('no errors on the console', errors.join(' | ') || 'none', errors.length === 0);
    expect('canvas size', `${page.box.width}x${page.box.height}`, Math.round(page.box.width) >= 1000 && Math.round(page.box.height) >= 500);
    const footer = await page.evaluate(() => document.querySelector('footer').textContent);
    expect('footer with the version', footer, /^Fetch \d+\.\d+\.\d+ /.test(footer));
    const before = await lib.frameCount(page);
    await lib.waitFor('frames going on', async () => (await lib.frameCount(page)) > before + 10, 60);
    const image = await shot(page, 'rest');
    expect('green share of the near ground', share(image, GROUND_NEAR, GREEN), share(image, GROUND_NEAR, GREEN) > 0.6);
    expect('white share of the sky band', share(image, SKY_BAND, WHITE), share(image, SKY_BAND, WHITE) < 0.05);
    expect('sky share of the sky band', share(image, SKY_BAND, SKY), share(image, SKY_BAND, SKY) > 0.3);
    expect('white share of the dog', share(image, DOG_BODY, WHITE), share(image, DOG_BODY, WHITE) < 0.05);
    await page.close();
  }],

  ['the rest scene matches the desktop\'s with the same clock', async () => {
    if (!desktopPpm) {
      console.log('    skipped: no desktop picture given');
      return;
    }
    const desktop = readPpm(desktopPpm);
    const page = await startedPage({ fixedTime: Number(stampText) });
    const image = await shot(page, 'rest-same-clock');
    // Below the sky (which turns a little every frame) and left of the meter
    // (whose level depends on the frame count): the ground, the dog, the house
    // and the fifteen trees.
    const differing = changed(image, desktop, SCENE_BELOW_SKY, 24);
    expect('share of pixels more than 24 levels from the desktop\'s', differing, differing < 0.05);
    await page.close();
  }],

  ['a click throws the bone, and the dog runs out and comes back', async () => {
    const page = await startedPage();
    const at = lib.atCanvas(page.box, 300, 250);
    await page.mouse.click(at.x, at.y);
    await waitDogGone(page);
    await waitDogHome(page);
    await page.close();
  }],

  ['\'m\' and the pointer steer the dog', async () => {
    const page = await startedPage();
    const middle = lib.atCanvas(page.box, 500, 250);
    await page.mouse.move(middle.x, middle.y);  // the middle: stand still
    await page.keyboard.press('m');
    const entered = await lib.frameCount(page);
    await lib.waitFor('a few frames in free walk', async () => (await lib.frameCount(page)) > entered + 5, 60);
    const still = await shot(page, 'free-walk-still');
    await new Promise((resolve) => setTimeout(resolve, 1500));
    const later = await shot(page);
    expect('changed share with the pointer in the middle', changed(still, later, SCENE_BELOW_SKY, 40),
      changed(still, later, SCENE_BELOW_SKY, 40) < 0.05);
    const above = lib.atCanvas(page.box, 500, 10);
    await page.mouse.move(above.x, above.y);  // far above the middle: walk away
    await waitToSee('the view moving as the dog walks and the camera follows',
      async () => changed(still, await shot(page), SCENE_BELOW_SKY, 40) > 0.2, 120);
    await page.close();
  }],

  ['\'q\' plays the closing scene and leaves the end line', async () => {
    const page = await startedPage();
    await page.keyboard.press('q');
    await waitEndLine(page);
    const frames = await lib.frameCount(page);
    await new Promise((resolve) => setTimeout(resolve, 1000));
    expect('no frames after the end', (await lib.frameCount(page)) - frames, (await lib.frameCount(page)) === frames);
    const last = await shot(page, 'ended');
    expect('the last frame stays (not blank)', share(last, WHOLE_WINDOW, WHITE), share(last, WHOLE_WINDOW, WHITE) < 0.5);
    await page.close();
  }],
];

runChecks(checks, session);
