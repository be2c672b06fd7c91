// What the browser checks beyond run_tests.js share: one line per check,
// "N passed, N failed" and the exit code, FETCH_WEB_CHECKS=WORD to run only
// the checks whose names hold WORD; and the waits they probe the picture with
// (the regions, colour tests and probes are the harness's).
'use strict';

const lib = require('../../../harness/browser.js');

// Prints the result of one probe; a failed probe fails its check.
function expect(what, value, ok) {
  const line = `${ok ? 'ok' : 'FAIL'}: ${what} (${typeof value === 'number' ? value.toFixed(3) : value})`;
  console.log(`    ${line}`);
  if (!ok) throw new Error(line);
}

// Runs the checks ([name, async () => ...]) one after the other, after
// setUp() when at least one is wanted, then tearDown(); exits with the result.
function runChecks(checks, { setUp = async () => {}, tearDown = async () => {} } = {}) {
  const only = process.env.FETCH_WEB_CHECKS;
  const wanted = checks.filter(([name]) => !only || name.includes(only));
  (async () => {
    let passed = 0;
    let failed = 0;
    if (wanted.length > 0) await setUp();
    try {
      for (const [name, check] of wanted) {
        const start = Date.now();
        console.log(name);
        try {
          await check();
          ++passed;
          console.log(`  passed (${((Date.now() - start) / 1000).toFixed(1)} s)`);
        } catch (error) {
          ++failed;
          console.log(`  FAILED: ${error.message}`);
        }
      }
    } finally {
      await tearDown();
    }
    console.log(`${passed} passed, ${failed} failed`);
    process.exit(failed === 0 ? 0 : 1);
  })().catch((error) => {
    console.error(error);
    process.exit(1);
  });
}

// The image files in loading order, from the game's image table.
const IMAGE_FILES = require('../../../src/textures/images.json').images.map((image) => image.file);
const IMAGES = IMAGE_FILES.join(' ');

// The game's console lines that say an image loads, in order.
function loadLines(page) {
  return page.lines.filter((line) => line.startsWith('trying to load ')).map((line) => line.slice(15));
}

// Waits for every image's load line and `frames` drawn frames.
async function waitForGame(page, frames = 30) {
  await lib.waitFor('the images to load', () => loadLines(page).length === IMAGE_FILES.length, 120);
  await lib.waitFor(`${frames} frames`, async () => (await lib.frameCount(page)) >= frames, 180);
}

// Waits for `frames` more frames than now.
async function waitFrames(page, frames) {
  const from = await lib.frameCount(page);
  await lib.waitFor(`${frames} more frames`, async () => (await lib.frameCount(page)) >= from + frames, 120);
}

const { regions: REGIONS, colours, share, changed } = require('../../../harness/regions.js');
const { sky: SKY, green: GREEN } = colours;

// waitToSee(what, condition, seconds, interval): lib.waitFor, which throws when
// the condition is not met in time, then a line saying what was seen.
async function waitToSee(what, condition, seconds, interval) {
  await lib.waitFor(what, condition, seconds, interval);
  console.log(`    seen: ${what}`);
}

// Waits until the dog has left home (only ground where its legs stood).
async function waitDogGone(page, seconds = 120) {
  await waitToSee('the dog gone from home (only ground where its legs stood)',
    async () => share(await lib.canvasPixels(page), REGIONS.dog_legs, GREEN) > 0.95, seconds);
}

// Waits until the dog stands at home and holds still for a second.
async function waitDogHome(page, seconds = 240) {
  await waitToSee('the dog back home and at rest', async () => {
    const first = await lib.canvasPixels(page);
    if (share(first, REGIONS.dog_stand, GREEN) >= 0.4) return false;
    await new Promise((resolve) => setTimeout(resolve, 1000));
    return changed(first, await lib.canvasPixels(page), REGIONS.dog_stand, 40) < 0.1;
  }, seconds, 500);
}

// Checks that the scene is drawn: sky above, ground below.
async function expectScene(page) {
  const image = await lib.canvasPixels(page);
  expect('sky share of the sky band', share(image, REGIONS.sky_band, SKY), share(image, REGIONS.sky_band, SKY) > 0.3);
  expect('green share of the near ground', share(image, REGIONS.ground_near, GREEN), share(image, REGIONS.ground_near, GREEN) > 0.6);
}

async function waitEndLine(page) {
  await waitToSee('the end line', () => page.evaluate(() => !document.getElementById('ended').hidden), 180);
}


module.exports = {
  expect, runChecks, waitToSee, loadLines, waitForGame, waitFrames, share, changed, SKY, GREEN, REGIONS,
  waitDogGone, waitDogHome, expectScene, waitEndLine, IMAGES,
};
