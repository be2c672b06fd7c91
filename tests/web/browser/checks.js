// What the browser checks beyond run_tests.js share: one line per check,
// "N passed, N failed" and the exit code, FETCH_WEB_CHECKS=WORD to run only
// the checks whose names hold WORD; and the pixel tests they probe with.
'use strict';

const lib = require('./lib.js');

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

// The game's console lines that say an image loads, in order.
function loadLines(page) {
  return page.lines.filter((line) => line.startsWith('trying to load ')).map((line) => line.slice(15));
}

// Waits for the twelve load lines and `frames` drawn frames.
async function waitForGame(page, frames = 30) {
  await lib.waitFor('the twelve images to load', () => loadLines(page).length === 12, 120);
  await lib.waitFor(`${frames} frames`, async () => (await lib.frameCount(page)) >= frames, 180);
}

// Waits for `frames` more frames than now.
async function waitFrames(page, frames) {
  const from = await lib.frameCount(page);
  await lib.waitFor(`${frames} more frames`, async () => (await lib.frameCount(page)) >= from + frames, 120);
}

function pixel(image, x, y) {
  const i = (y * image.width + x) * 4;
  return [image.data[i], image.data[i + 1], image.data[i + 2]];
}

// Share of pixels in the rectangle [x, y, width, height] for which test(rgb) holds.
function share(image, [x0, y0, w, h], test) {
  let hits = 0;
  for (let y = y0; y < y0 + h; ++y) for (let x = x0; x < x0 + w; ++x) if (test(pixel(image, x, y))) ++hits;
  return hits / (w * h);
}

// Share of pixels in the rectangle whose largest channel difference exceeds tolerance.
function changed(a, b, [x0, y0, w, h], tolerance) {
  let hits = 0;
  for (let y = y0; y < y0 + h; ++y) {
    for (let x = x0; x < x0 + w; ++x) {
      const p = pixel(a, x, y);
      const q = pixel(b, x, y);
      if (Math.max(Math.abs(p[0] - q[0]), Math.abs(p[1] - q[1]), Math.abs(p[2] - q[2])) > tolerance) ++hits;
    }
  }
  return hits / (w * h);
}

const SKY = ([r, g, b]) => b > r + 30 && b > g;
const GREEN = ([r, g, b]) => g > r + 10 && g > b + 10;
const REGIONS = {
  dogStand: [482, 285, 36, 65],
  dogLegs: [482, 320, 36, 30],
  groundNear: [0, 400, 1000, 100],
  skyBand: [0, 0, 1000, 120],
  belowSky: [0, 150, 840, 350],  // everything but the sky and the meter
};

// Waits until the dog has left home (only ground where its legs stood).
async function waitDogGone(page, seconds = 120) {
  await lib.waitFor('the dog gone from home', async () => share(await lib.canvasPixels(page), REGIONS.dogLegs, GREEN) > 0.95, seconds);
}

// Waits until the dog stands at home and holds still for a second.
async function waitDogHome(page, seconds = 240) {
  await lib.waitFor('the dog back home and at rest', async () => {
    const first = await lib.canvasPixels(page);
    if (share(first, REGIONS.dogStand, GREEN) >= 0.4) return false;
    await new Promise((resolve) => setTimeout(resolve, 1000));
    return changed(first, await lib.canvasPixels(page), REGIONS.dogStand, 40) < 0.1;
  }, seconds, 500);
}

// Checks that the scene is drawn: sky above, ground below.
async function expectScene(page) {
  const image = await lib.canvasPixels(page);
  expect('sky share of the sky band', share(image, REGIONS.skyBand, SKY), share(image, REGIONS.skyBand, SKY) > 0.3);
  expect('green share of the near ground', share(image, REGIONS.groundNear, GREEN), share(image, REGIONS.groundNear, GREEN) > 0.6);
}

async function waitEndLine(page) {
  await lib.waitFor('the end line', () => page.evaluate(() => !document.getElementById('ended').hidden), 180);
}

const IMAGES = 'dog1.bmp dog2.bmp dog3.bmp dog4.bmp dog5.bmp brick1.bmp leaf1.bmp bark1.bmp cloud1.bmp explosion.bmp car.bmp blank.bmp';

module.exports = {
  expect, runChecks, loadLines, waitForGame, waitFrames, share, changed, SKY, GREEN, REGIONS,
  waitDogGone, waitDogHome, expectScene, waitEndLine, IMAGES,
};
