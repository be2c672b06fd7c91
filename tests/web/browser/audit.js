// A first visit as a phone on a mobile network meets the page, in one Chromium:
// the images the page draws hash equal to the desktop's files; axe-core finds
// nothing on the desktop layout nor on a phone's; Lighthouse's mobile preset
// scores accessibility, best practices and SEO at 100 with at most 400 KiB
// sent. Its performance figures are printed, not judged (the machine is shared).
//
//   node audit.js SITE_DIR DESKTOP_RUN_DIR WORK_DIR
'use strict';

const crypto = require('crypto');
const fs = require('fs');
const path = require('path');
const { pathToFileURL } = require('url');
const lib = require('../../../harness/browser.js');
const { expect, runChecks, waitForGame, IMAGES } = require('../../../harness/browser.js');

const [siteDir, desktopRun, workDir] = process.argv.slice(2);
const PHONE = { width: 844, height: 390, deviceScaleFactor: 1, isMobile: true, hasTouch: true, isLandscape: true };
const session = lib.browserSession(siteDir, workDir, 'audit');
const servers = [];

// A server of its own for each further visit: a new origin, with no worker and no cache.
async function served() {
  const { server, url } = await lib.serve(siteDir);
  servers.push(server);
  return url;
}

// axe-core's violations on the page as it shows now, or 'none'.
async function axeViolations(page) {
  await page.addScriptTag({ path: require.resolve('axe-core/axe.min.js') });
  return (await page.evaluate(async () => (await window.axe.run(document)).violations
    .map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`))).join('; ') || 'none';
}

runChecks([
  ['audit: the page draws the desktop\'s images; axe-core finds nothing on the desktop and phone layouts', async () => {
    const page = await lib.openGame(session.browser, session.url);
    await waitForGame(page, 5);
    const names = IMAGES.split(' ');
    const hashes = await page.evaluate((files) => Promise.all(files.map(async (name) => [
      ...new Uint8Array(await crypto.subtle.digest('SHA-256', FS.readFile(`/${name}`)))]  // eslint-disable-line no-undef
      .map((byte) => byte.toString(16).padStart(2, '0')).join(''))), names);
    const desktop = (name) => crypto.createHash('sha256').update(fs.readFileSync(path.join(desktopRun, name))).digest('hex');
    const differing = names.filter((name, i) => hashes[i] !== desktop(name)).join(' ');
    expect('the twelve images drawn in the page hash equal to the desktop\'s', differing || 'all equal', !differing);
    const onDesktop = await axeViolations(page);
    expect('axe-core on the desktop layout', onDesktop, onDesktop === 'none');
    const phone = await lib.openGame(session.browser, await served(), { viewport: PHONE });
    await waitForGame(phone, 5);
    const heading = await phone.evaluate(() => document.querySelector('h1').getBoundingClientRect().height);
    expect('the heading hidden from sight on the phone', `${heading} px high`, heading <= 1);
    const onPhone = await axeViolations(phone);
    expect('axe-core on the phone layout', onPhone, onPhone === 'none');
  }],
  ['audit: Lighthouse\'s mobile preset: accessibility, best practices and SEO 100, a first visit within 400 KiB', async () => {
    const { default: lighthouse } = await import(pathToFileURL(require.resolve('lighthouse')).href);
    const { lhr } = await lighthouse(await served(), { output: 'json', logLevel: 'error' }, undefined, await session.browser.newPage());
    fs.writeFileSync(path.join(workDir, 'lighthouse.json'), JSON.stringify(lhr));
    const value = (id) => lhr.audits[id].numericValue;
    console.log(`    performance ${Math.round(lhr.categories.performance.score * 100)}, LCP `
      + `${(value('largest-contentful-paint') / 1000).toFixed(1)} s, TBT ${Math.round(value('total-blocking-time'))} ms`);
    for (const category of ['accessibility', 'best-practices', 'seo']) {
      const { score, auditRefs } = lhr.categories[category];
      const failing = auditRefs.filter((ref) => ref.weight > 0 && lhr.audits[ref.id].score < 1).map((ref) => ref.id);
      expect(`${category} at 100`, [Math.round(score * 100), ...failing].join(' '), score === 1);
    }
    const kib = value('total-byte-weight') / 1024;
    expect('a first visit sends at most 400 KiB', `${Math.round(kib)} KiB`, kib <= 400);
  }],
], {
  setUp: session.setUp,
  tearDown: async () => {
    for (const server of servers) server.close();
    await session.tearDown();
  },
});
