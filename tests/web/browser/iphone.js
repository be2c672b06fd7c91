// The page on iOS's terms, in Chromium's phone emulation (landscape 844 x 390,
// touch, mobile):
// - the first tap on the game starts the sound from an event that lets audio
//   run on Safari (touchend or pointerup, never touchstart alone), and the
//   throw's whoosh starts. Chromium lets a resume asked for at touchstart run
//   at the same tap's touchend, and counts page.evaluate as a gesture, so the
//   check records which event each resume() came from, and reads only the
//   console from the page's load to the end: nothing but the tap is a gesture.
// - with an iPhone's safe-area insets (the notch and the home bar) emulated,
//   no key and no canvas pixel lies inside them, in the page and full screen.
// - a drawing context lost and not back within a few seconds (iOS 17.0 lost
//   them again and again) is said on the page, and the words go when it is back.
//
//   node iphone.js SITE_DIR WORK_DIR
'use strict';

const fs = require('fs');
const path = require('path');
const lib = require('../../../harness/browser.js');
const { expect, runChecks, waitForGame } = lib;

const [siteDir, workDir] = process.argv.slice(2);
const PHONE = { width: 844, height: 390, deviceScaleFactor: 1, isMobile: true, hasTouch: true, isLandscape: true };
// An iPhone 14's insets held sideways, notch on the left.
const INSETS = { top: 0, left: 47, right: 47, bottom: 21 };
const cleanUp = [];

async function phoneBrowser(name, extraArgs = []) {
  const browser = await lib.launch(fs.mkdtempSync(path.join(workDir, `profile-${name}-`)), extraArgs);
  cleanUp.push(() => browser.close());
  const { url } = await lib.serve(siteDir).then((served) => {
    cleanUp.push(() => served.server.close());
    return served;
  });
  return { page: await lib.openGame(browser, 'about:blank', { viewport: PHONE }), url };
}

const seen = (page, pattern) => page.lines.filter((line) => pattern.test(line));

runChecks([
  ['iphone: the first tap on the game starts the sound from touchend or pointerup, with the whoosh', async () => {
    const { page, url } = await phoneBrowser('tap', ['--autoplay-policy=document-user-activation-required']);
    // Before the page's scripts: every resume() said with the event it ran in,
    // the contexts' states, the sources started, and at the 30th animation
    // frame where the canvas is (asking the page would count as a gesture).
    await page.evaluateOnNewDocument(() => {
      const resume = AudioContext.prototype.resume;
      AudioContext.prototype.resume = function (...args) {
        console.log(`check: resume in ${window.event ? window.event.type : 'no event'} (${this.state})`);
        if (!this.watched) {
          this.watched = true;
          this.addEventListener('statechange', () => console.log(`check: audio ${this.state}`));
        }
        return resume.apply(this, args);
      };
      const start = AudioBufferSourceNode.prototype.start;
      AudioBufferSourceNode.prototype.start = function (...args) {
        console.log('check: source started');
        return start.apply(this, args);
      };
      const frame = window.requestAnimationFrame.bind(window);
      let frames = 0;
      window.requestAnimationFrame = (callback) => frame((time) => {
        if (++frames === 30) {
          const { x, y, width, height } = document.getElementById('canvas').getBoundingClientRect();
          console.log(`check: 30 frames ${JSON.stringify({ x, y, width, height })}`);
        }
        callback(time);
      });
    });
    await page.goto(url);
    await lib.waitFor('the twelve load lines and 30 frames', () => lib.loadLines(page).length === 12
      && seen(page, /^check: 30 frames/).length === 1, 180);
    expect('sources started before the tap', seen(page, /source started/).length, seen(page, /source started/).length === 0);
    const box = JSON.parse(seen(page, /^check: 30 frames/)[0].replace(/^check: 30 frames /, ''));
    const at = lib.atCanvas(box, 300, 250);
    await page.touchscreen.tap(at.x, at.y);
    await lib.waitFor('the audio running', () => seen(page, /^check: audio running/).length > 0, 30)
      .catch(() => {});
    const resumes = seen(page, /^check: resume in/).map((line) => line.slice(17)).join(', ') || 'none';
    expect('resume() asked for in touchend or pointerup, while not running', resumes,
      /\b(touchend|pointerup) \((suspended|interrupted)\)/.test(resumes));
    expect('the audio running after the tap', seen(page, /^check: audio/).join(', ') || 'no change',
      seen(page, /^check: audio running/).length > 0);
    await lib.waitFor('the throw\'s whoosh', () => seen(page, /source started/).length >= 1, 60);
  }],

  ['iphone: with the notch\'s insets, no key and no canvas pixel inside them, in the page and full screen', async () => {
    const { page, url } = await phoneBrowser('notch');
    const cdp = await page.target().createCDPSession();
    await cdp.send('Emulation.setSafeAreaInsetsOverride', { insets: INSETS });
    await page.goto(url);
    await waitForGame(page, 10);
    const safe = { left: INSETS.left, top: INSETS.top, right: PHONE.width - INSETS.right, bottom: PHONE.height - INSETS.bottom };
    const measure = () => page.evaluate(() => [document.getElementById('canvas'), ...document.querySelectorAll('#keys button')]
      .filter((element) => getComputedStyle(element).display !== 'none')
      .map((element) => {
        const r = element.getBoundingClientRect();
        return { name: element.id || element.dataset.key, x: r.x, y: r.y, right: r.right, bottom: r.bottom, width: r.width, height: r.height };
      }));
    for (const view of ['page', 'full screen']) {
      if (view === 'full screen') {
        await page.tap('#fullscreen');
        await lib.waitFor('full screen', () => page.evaluate(() => document.fullscreenElement !== null), 30);
        await new Promise((resolve) => setTimeout(resolve, 500));  // the layout settles
      }
      const boxes = await measure();
      const outside = boxes.filter((b) => b.x < safe.left - 0.5 || b.y < safe.top - 0.5 || b.right > safe.right + 0.5
        || b.bottom > safe.bottom + 0.5);
      const describe = (b) => `${b.name} ${Math.round(b.x)},${Math.round(b.y)}-${Math.round(b.right)},${Math.round(b.bottom)}`;
      expect(`${view}: every key and the canvas inside ${safe.left},${safe.top}-${safe.right},${safe.bottom}`,
        outside.map(describe).join(', ') || boxes.map(describe).join(', '), outside.length === 0);
      const canvas = boxes.find((b) => b.name === 'canvas');
      const keys = boxes.filter((b) => b.name !== 'canvas');
      expect(`${view}: the canvas 2:1, the keys 44 px or more`, `${canvas.width.toFixed(1)}x${canvas.height.toFixed(1)}`,
        Math.abs(canvas.width - 2 * canvas.height) <= 2 && keys.every((b) => b.width >= 44 && b.height >= 44));
      await page.screenshot({ path: path.join(workDir, `notch-${view.replace(' ', '-')}.png`) });
    }
  }],

  ['iphone: a drawing context that stays lost is said on the page, with the advice to reload', async () => {
    const { page, url } = await phoneBrowser('lost');
    await page.goto(url);
    await waitForGame(page, 10);
    await lib.loseContext(page, 'loseContext');
    const lostAt = Date.now();
    const said = await lib.waitFor('the problem line', () => lib.problemLine(page), 30);
    const after = (Date.now() - lostAt) / 1000;
    expect('said after a few seconds, with the advice to reload', `${after.toFixed(1)} s: ${said}`,
      after >= 4 && /Reload the page/.test(said));
    await lib.loseContext(page, 'restoreContext');
    await lib.waitFor('the problem line gone once the context is back', async () => !(await lib.problemLine(page)), 30);
  }],
], {
  setUp: async () => fs.mkdirSync(workDir, { recursive: true }),
  tearDown: async () => {
    for (const step of cleanUp.reverse()) await step();
  },
});
