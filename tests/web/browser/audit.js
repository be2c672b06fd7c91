// The page as a first visit over a phone network meets it, in one Chromium:
// the images the page draws are byte for byte the desktop's files; axe-core
// finds nothing on the desktop layout nor on a phone's; and Lighthouse's
// mobile preset (slow 4G, a 4x slower CPU, simulated) scores accessibility,
// best practices and SEO at 100, with at most 400 KiB sent. Its performance
// figures are printed, never judged: the machine is shared.
//
//   node audit.js SITE_DIR DESKTOP_RUN_DIR WORK_DIR
'use strict';

const crypto = require('crypto');
const fs = require('fs');
const path = require('path');
const { pathToFileURL } = require('url');
const lib = require('../../../harness/browser.js');
const { expect, runChecks, waitForGame, IMAGES } = require('./checks.js');

const [siteDir, desktopRun, workDir] = process.argv.slice(2);
const PHONE = { width: 844, height: 390, deviceScaleFactor: 1, isMobile: true, hasTouch: true, isLandscape: true };
const MOST_KIB = 400;
const cleanUp = [];
let browser;

const sha256 = (bytes) => crypto.createHash('sha256').update(bytes).digest('hex');

// A fresh server for the site: each origin starts with no worker and no cache.
async function served() {
  const { server, url } = await lib.serve(siteDir);
  cleanUp.push(() => server.close());
  return url;
}

// axe-core's violations on the page as it shows now: "rule (n)" for each.
async function axeViolations(page) {
  await page.addScriptTag({ path: require.resolve('axe-core/axe.min.js') });
  const violations = await page.evaluate(async () => (await window.axe.run(document)).violations
    .map((v) => `${v.id} (${v.nodes.length}): ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`));
  return violations.join('; ') || 'none';
}

runChecks([
  ['audit: the page draws the desktop\'s images, and axe-core finds nothing on the desktop and phone layouts', async () => {
    const page = await lib.openGame(browser, await served());
    await waitForGame(page, 5);
    const hashes = await page.evaluate((names) => Promise.all(names.map(async (name) => {
      const digest = await crypto.subtle.digest('SHA-256', FS.readFile(`/${name}`));  // eslint-disable-line no-undef
      return [...new Uint8Array(digest)].map((byte) => byte.toString(16).padStart(2, '0')).join('');
    })), IMAGES.split(' '));
    const differing = IMAGES.split(' ').filter((name, i) => hashes[i] !== sha256(fs.readFileSync(path.join(desktopRun, name))));
    expect('the twelve images drawn in the page hash equal to the desktop\'s', differing.join(' ') || 'all equal',
      hashes.length === 12 && differing.length === 0);
    const desktop = await axeViolations(page);
    expect('axe-core on the desktop layout', desktop, desktop === 'none');
    const phone = await lib.openGame(browser, await served(), { viewport: PHONE });
    await waitForGame(phone, 5);
    const heading = await phone.evaluate(() => document.querySelector('h1').getBoundingClientRect().height);
    expect('the heading hidden from sight on the phone', `${heading} px high`, heading <= 1);
    const violations = await axeViolations(phone);
    expect('axe-core on the phone layout', violations, violations === 'none');
  }],
  ['audit: Lighthouse\'s mobile preset: accessibility, best practices and SEO 100, a first visit within 400 KiB', async () => {
    const { default: lighthouse } = await import(pathToFileURL(require.resolve('lighthouse')).href);
    const page = await browser.newPage();
    const { lhr } = await lighthouse(await served(), { output: 'json', logLevel: 'error' }, undefined, page);
    fs.writeFileSync(path.join(workDir, 'lighthouse.json'), JSON.stringify(lhr));
    const audit = (id) => lhr.audits[id].numericValue;
    console.log(`    performance ${Math.round(lhr.categories.performance.score * 100)}, `
      + `LCP ${(audit('largest-contentful-paint') / 1000).toFixed(1)} s, TBT ${Math.round(audit('total-blocking-time'))} ms `
      + '(a benchmark, not judged)');
    for (const category of ['accessibility', 'best-practices', 'seo']) {
      const { score, auditRefs } = lhr.categories[category];
      const failing = auditRefs.filter((ref) => ref.weight > 0 && lhr.audits[ref.id].score !== null
        && lhr.audits[ref.id].score < 1).map((ref) => ref.id);
      expect(`${category} at 100`, `${Math.round(score * 100)}${failing.length ? `: ${failing.join(', ')}` : ''}`, score === 1);
    }
    const kib = audit('total-byte-weight') / 1024;
    expect(`a first visit sends at most ${MOST_KIB} KiB`, `${Math.round(kib)} KiB`, kib <= MOST_KIB);
  }],
], {
  setUp: async () => {
    fs.mkdirSync(workDir, { recursive: true });
    browser = await lib.launch(fs.mkdtempSync(path.join(workDir, 'profile-')));
    cleanUp.push(() => browser.close());
  },
  tearDown: async () => {
    for (const step of cleanUp.reverse()) await step();
  },
});
