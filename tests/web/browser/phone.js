// The page on a phone, in Chromium's phone emulation (landscape 844 x 390,
// touch, mobile): it fits with its keys, a tap throws, the Walk key and a
// finger held above the middle walk the dog, lifting the finger stops it, full
// screen keeps the 1000 x 500 drawing buffer, and the Quit key plays the
// closing scene. No keyboard and no mouse.
//
//   node phone.js SITE_DIR WORK_DIR
'use strict';

const fs = require('fs');
const path = require('path');
const lib = require('../../../harness/browser.js');
const {
  expect, runChecks, waitForGame, waitFrames, changed, REGIONS, waitDogGone, waitDogHome, waitEndLine,
} = lib;

const [siteDir, workDir] = process.argv.slice(2);
const PHONE = { width: 844, height: 390, deviceScaleFactor: 1, isMobile: true, hasTouch: true, isLandscape: true };
const session = lib.browserSession(siteDir, workDir, 'phone');

// Where a key and the canvas sit on the page, and whether the page scrolls sideways.
function layout(page) {
  return page.evaluate(() => {
    const box = (element) => {
      const r = element.getBoundingClientRect();
      return { x: r.x, y: r.y, width: r.width, height: r.height, shown: getComputedStyle(element).display !== 'none' };
    };
    const canvas = document.getElementById('canvas');
    return {
      viewport: { width: window.innerWidth, height: window.innerHeight },
      scrollWidth: document.documentElement.scrollWidth,
      canvas: { ...box(canvas), bufferWidth: canvas.width, bufferHeight: canvas.height },
      keys: [...document.querySelectorAll('#keys [data-key]')].map((key) => ({
        key: key.dataset.key, label: key.getAttribute('aria-label') || key.textContent, ...box(key),
      })),
    };
  });
}

const inside = (r, v) => r.x >= 0 && r.y >= 0 && r.x + r.width <= v.width + 0.5 && r.y + r.height <= v.height + 0.5;
const overlaps = (a, b) => a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;

runChecks([
  ['phone: the page fits with its keys, a tap throws, the keys and a finger walk the dog, Quit ends', async () => {
    const page = await lib.openGame(session.browser, session.url, { viewport: PHONE });
    await waitForGame(page);
    const seen = await layout(page);
    expect('no sideways scrolling', `${seen.scrollWidth} of ${seen.viewport.width}`, seen.scrollWidth <= seen.viewport.width);
    const c = seen.canvas;
    expect('the whole canvas in view, 2:1', `${c.x},${c.y} ${c.width}x${c.height}`,
      inside(c, seen.viewport) && Math.abs(c.width - 2 * c.height) <= 2);
    expect('drawing buffer still 1000 x 500', `${c.bufferWidth}x${c.bufferHeight}`, c.bufferWidth === 1000 && c.bufferHeight === 500);
    const keys = seen.keys.map((k) => `${k.key} ${Math.round(k.width)}x${Math.round(k.height)} "${k.label}"`).join(', ');
    expect('m, t, r and q keys in view, beside the canvas, 44 x 44 or more, labelled in words', keys,
      seen.keys.map((k) => k.key).join('') === 'mtrq' && seen.keys.every((k) => k.shown && inside(k, seen.viewport)
        && !overlaps(k, c) && k.width >= 44 && k.height >= 44 && /[A-Za-z]{3,}/.test(k.label)));
    await page.screenshot({ path: path.join(workDir, 'phone-rest.png') });

    // A tap throws where a click would, and arrives as no mouse event.
    await page.evaluate(() => {
      window.mouseEvents = 0;
      for (const type of ['mousedown', 'mouseup', 'click']) {
        document.getElementById('canvas').addEventListener(type, () => { window.mouseEvents += 1; });
      }
    });
    const box = await lib.canvasBox(page);
    const tap = lib.atCanvas(box, 300, 250);
    await page.touchscreen.tap(tap.x, tap.y);
    await waitDogGone(page);
    expect('mouse events from the tap', await page.evaluate(() => window.mouseEvents), await page.evaluate(() => window.mouseEvents) === 0);
    await waitDogHome(page);

    // Walk: the key, then a finger held above the middle.
    await page.tap('#keys [data-key="m"]');
    await waitFrames(page, 5);
    const still = await lib.canvasPixels(page);
    const above = lib.atCanvas(box, 500, 60);
    await page.touchscreen.touchStart(above.x, above.y);
    await lib.waitFor('the view to move as the dog walks',
      async () => changed(still, await lib.canvasPixels(page), REGIONS.scene_below_sky, 40) > 0.2, 120);
    await page.screenshot({ path: path.join(workDir, 'phone-walk.png') });
    await page.touchscreen.touchEnd();
    await waitFrames(page, 3);
    const stopped = await lib.canvasPixels(page);
    await waitFrames(page, 8);
    const moved = changed(stopped, await lib.canvasPixels(page), REGIONS.scene_below_sky, 40);
    expect('changed share after the finger lifts', moved, moved < 0.05);

    // Full screen: the canvas and its keys, the drawing buffer unchanged.
    await page.tap('#fullscreen');
    const full = await lib.waitFor('full screen', () => page.evaluate(() => document.fullscreenElement
      && `${document.fullscreenElement.id} ${document.getElementById('canvas').width}x${document.getElementById('canvas').height}`), 30);
    expect('full screen holds the game, buffer 1000 x 500', full, full === 'game 1000x500');
    await page.tap('#fullscreen');
    await lib.waitFor('full screen left', () => page.evaluate(() => !document.fullscreenElement), 30);

    await page.tap('#keys [data-key="q"]');
    await waitEndLine(page);
    await page.close();
  }],
], session);
