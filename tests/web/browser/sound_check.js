// The page's sound in headless Chromium: no Web Audio source starts before the
// player's first gesture; a click that throws the bone starts them and lets the
// page's audio run; with the mute button pressed (and remembered across a
// reload) a throw starts none, and once unmuted the dog's bark is heard.
//
//   node sound_check.js SITE_DIR WORK_DIR
//
// Sources are counted by wrapping AudioBufferSourceNode.prototype.start before
// the page loads. Prints one line per check and "N passed, N failed"; exits 1
// if any failed. FETCH_WEB_CHECKS=WORD runs only the checks whose names hold WORD.
'use strict';

const fs = require('fs');
const lib = require('../../../harness/browser.js');
const { expect, runChecks, waitForGame, waitDogGone } = lib;

const [siteDir, workDir] = process.argv.slice(2);
if (!siteDir || !workDir) {
  console.error('usage: node sound_check.js SITE_DIR WORK_DIR');
  process.exit(2);
}
fs.mkdirSync(workDir, { recursive: true });


// The page with its Web Audio sources and contexts counted, after 60 frames.
async function countedPage(browser, url) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1100, height: 900 });
  page.lines = [];
  page.on('console', (message) => page.lines.push(message.text()));
  page.on('pageerror', (error) => page.lines.push(`page error: ${error.message}`));
  await page.evaluateOnNewDocument(() => {
    window.fetchSound = { starts: 0, contexts: [] };
    const start = AudioBufferSourceNode.prototype.start;
    AudioBufferSourceNode.prototype.start = function (...args) {
      window.fetchSound.starts += 1;
      return start.apply(this, args);
    };
    const RealContext = window.AudioContext;
    window.AudioContext = class extends RealContext {
      constructor(...args) {
        super(...args);
        window.fetchSound.contexts.push(this);
      }
    };
  });
  await page.goto(url);
  await waitForGame(page, 60);
  page.box = await lib.canvasBox(page);
  return page;
}

const starts = (page) => page.evaluate(() => window.fetchSound.starts);
// (The page makes and closes one context early, to start the browser's audio service: not the game's.)
const audioStates = (page) => page.evaluate(() => window.fetchSound.contexts.filter((c) => c.state !== 'closed')
  .map((c) => c.state).join(' '));

// Clicks where a throw goes to the left.
async function clickToThrow(page) {
  const at = lib.atCanvas(page.box, 300, 250);
  await page.mouse.click(at.x, at.y);
}

async function throwAndWaitForTheDogToLeave(page) {
  await clickToThrow(page);
  await waitDogGone(page);  // the bone has landed
}

const checks = [
  ['sound: a click starts Web Audio sources, none start before it', async (browser, url) => {
    const page = await countedPage(browser, url);
    expect('sources started before any gesture', await starts(page), (await starts(page)) === 0);
    expect('the game made an audio context', await audioStates(page), (await audioStates(page)) !== '');
    await clickToThrow(page);
    await lib.waitFor('a source to start (the throw\'s whoosh)', async () => (await starts(page)) >= 1, 60);
    await lib.waitFor('the audio running after the click', async () => /^(running ?)+$/.test(await audioStates(page)), 30);
    await lib.waitFor('the landing\'s source too', async () => (await starts(page)) >= 2, 120);
    const errors = page.lines.filter((l) => /error|abort|exception/i.test(l));
    expect('no errors on the console', errors.join(' | ') || 'none', errors.length === 0);
    await page.close();
  }],

  ['sound: muted by the button (remembered), a throw starts none', async (browser, url) => {
    let page = await countedPage(browser, url);
    await page.click('#mute');
    expect('the button says', await page.$eval('#mute', (b) => b.textContent), (await page.$eval('#mute', (b) => b.textContent)) === 'Sound: off');
    await page.close();

    page = await countedPage(browser, url);  // the next visit
    expect('the button remembers', await page.$eval('#mute', (b) => b.textContent), (await page.$eval('#mute', (b) => b.textContent)) === 'Sound: off');
    await throwAndWaitForTheDogToLeave(page);
    expect('sources started by a muted throw', await starts(page), (await starts(page)) === 0);

    await page.click('#mute');  // sound on again: the dog's bark at the bone is heard
    await lib.waitFor('a source to start after unmuting (the bark as the dog takes the bone)',
      async () => (await starts(page)) >= 1, 120);
    await page.close();
  }],
];

const session = lib.browserSession(siteDir, workDir, 'sound');
runChecks(checks.map(([name, check]) => [name, () => check(session.browser, session.url)]), session);
