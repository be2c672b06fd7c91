// Clear words when something is missing: Chromium with WebGL turned off, and a
// site folder without one of its files. The page says what is wrong (naming
// the file), never that the game has ended, and no uncaught exception reaches
// the console. A start that throws (the images not written into the game's
// folder, the game's main) is said on the page too.
//
//   node missing.js SITE_DIR WORK_DIR
'use strict';

const fs = require('fs');
const path = require('path');
const lib = require('../../../harness/browser.js');
const { expect, runChecks, loadLines } = lib;

const [siteDir, workDir] = process.argv.slice(2);
const cleanUp = [];

// The page's problem line, once shown, and what else the page says.
async function problemShown(page) {
  const text = await lib.waitFor('the problem line', () => lib.problemLine(page), 120);
  return {
    text,
    ended: await page.evaluate(() => !document.getElementById('ended').hidden),
    errors: page.lines.filter((line) => line.startsWith('page error')),
  };
}

async function servedWithout(file) {
  const copy = fs.mkdtempSync(path.join(workDir, `site-without-${file}-`));
  fs.cpSync(siteDir, copy, { recursive: true });
  fs.rmSync(path.join(copy, file));
  const served = await lib.serve(copy);
  cleanUp.push(() => served.server.close());
  return served.url;
}

runChecks([
  ['missing: without WebGL the page says so, and never that the game ended', async () => {
    const browser = await lib.launch(fs.mkdtempSync(path.join(workDir, 'profile-nowebgl-')), ['--disable-webgl']);
    cleanUp.push(() => browser.close());
    const { url } = await lib.serve(siteDir).then((served) => {
      cleanUp.push(() => served.server.close());
      return served;
    });
    const page = await lib.openGame(browser, url);
    const seen = await problemShown(page);
    expect('the problem line names WebGL and what to try', seen.text,
      /WebGL is unavailable or turned off/.test(seen.text) && /try/i.test(seen.text));
    expect('no end line', seen.ended, !seen.ended);
    expect('no uncaught exception', seen.errors.join(' | ') || 'none', seen.errors.length === 0);
    expect('the game did not start', loadLines(page).length, loadLines(page).length === 0);
  }],
  // The game's own download, and the image worker's script and its WebAssembly.
  ...['fetch.wasm', 'images.js', 'images.wasm'].map((file) => [`missing: a site without ${file} names it on the page`, async () => {
    const browser = await lib.launch(fs.mkdtempSync(path.join(workDir, 'profile-missing-')));
    cleanUp.push(() => browser.close());
    const page = await lib.openGame(browser, await servedWithout(file));
    const seen = await problemShown(page);
    expect(`the problem line names ${file}`, seen.text, seen.text.includes(`${file} did not download`));
    expect('no end line', seen.ended, !seen.ended);
    // Give the runtime time to throw what it throws after a failed download.
    await new Promise((resolve) => setTimeout(resolve, 2000));
    expect('no uncaught exception', page.lines.filter((l) => l.startsWith('page error')).join(' | ') || 'none',
      !page.lines.some((l) => l.startsWith('page error')));
    expect('the game did not start', loadLines(page).length, loadLines(page).length === 0);
    // A later error of another script, and a rejection, still reach the console.
    await page.evaluate(() => {
      setTimeout(() => { throw new Error('a later error'); });
      Promise.reject(new Error('a later rejection'));
    });
    const later = await lib.waitFor('the later error and rejection', () => {
      const seen = page.lines.filter((l) => /page error: .*a later (error|rejection)/.test(l));
      return seen.length === 2 && seen;
    }, 10).catch(() => page.lines.filter((l) => l.startsWith('page error')));
    expect('later errors reported', later.join(' | ') || 'none', later.length === 2);
  }]),
  // The images not written into the game's folder, and the game throwing as it starts.
  ...[['writeFile', 'no room for the images'], ['callMain', 'the game threw']].map(([step, why]) => [
    `missing: a start whose ${step} throws says so on the page`, async () => {
      const browser = await lib.launch(fs.mkdtempSync(path.join(workDir, 'profile-start-')));
      cleanUp.push(() => browser.close());
      const page = await lib.openGame(browser, 'about:blank');
      await page.evaluateOnNewDocument((broken, message) => {  // the page's Module, once ready, has that step throw
        let module;
        Object.defineProperty(window, 'Module', { configurable: true, get: () => module, set: (value) => {
          if (value === module) return;
          module = value;
          const ready = value.onRuntimeInitialized;
          value.onRuntimeInitialized = () => {
            (broken === 'writeFile' ? value.FS : value)[broken] = () => { throw new Error(message); };
            ready();
          };
        } });
      }, step, why);
      const served = await lib.serve(siteDir);
      cleanUp.push(() => served.server.close());
      await page.goto(served.url);
      const { text } = await problemShown(page);
      expect('the problem line says the game cannot start, and why', text, /cannot start/.test(text) && text.includes(why));
    }]),
], {
  setUp: async () => fs.mkdirSync(workDir, { recursive: true }),
  tearDown: async () => {
    for (const step of cleanUp.reverse()) await step();
  },
});
