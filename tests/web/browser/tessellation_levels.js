// The shapes drawn by size on screen against the shapes as the game asks for
// them: opens the check page (web/checks/tessellation_levels_page.cpp, built
// into CHECKS_DIR/tessellation_levels.html) in headless Chromium and prints its
// lines. Fails when a scene has more than 0.5 % of its 4 x 4 blocks off by more
// than 8 levels, when no scene ran or when the page does not finish. Saves each
// scene's pair (as asked, left; by size, right) as WORK_DIR/levels-SCENE.png.
//
//   node tessellation_levels.js CHECKS_DIR WORK_DIR
'use strict';

const fs = require('fs');
const path = require('path');
const lib = require('../../../harness/browser.js');

const name = 'the shapes drawn by size on screen look as drawn in full';
const [checksDir, workDir] = process.argv.slice(2);
if (!checksDir || !workDir) {
  console.error('usage: node tessellation_levels.js CHECKS_DIR WORK_DIR');
  process.exit(2);
}
if (process.env.FETCH_WEB_CHECKS && !name.includes(process.env.FETCH_WEB_CHECKS)) process.exit(0);

(async () => {
  console.log(name);
  const { server, url } = await lib.serve(checksDir);
  fs.mkdirSync(workDir, { recursive: true });
  const browser = await lib.launch(fs.mkdtempSync(path.join(workDir, 'profile-')));
  let verdict;
  try {
    const page = await browser.newPage();
    const lines = [];
    page.on('console', (message) => lines.push(message.text()));
    page.on('pageerror', (error) => lines.push(`page error: ${error.message}`));
    await page.goto(new URL('tessellation_levels.html', url).href);
    verdict = await lib.waitFor('the last line of the check page',
      () => lines.find((line) => line.startsWith('tessellation levels: ')), 300).catch((error) => {
      lines.push(error.message);
    });
    for (const line of lines.filter((l) => l !== verdict && /^[\w-]+: [\d.]+ % |error/.test(l))) console.log(`    ${line}`);
    const pairs = await page.evaluate(() => Array.from(document.querySelectorAll('canvas[id^="pair-"]'),
      (canvas) => [canvas.id.slice('pair-'.length), canvas.toDataURL('image/png').split(',')[1]]));
    for (const [scene, data] of pairs) fs.writeFileSync(path.join(workDir, `levels-${scene}.png`), data, 'base64');
  } finally {
    await browser.close();
    server.close();
  }
  const [, scenes, over] = (verdict || '').match(/^tessellation levels: (\d+) scenes, (\d+) over/) || [];
  const passed = Number(scenes) > 0 && Number(over) === 0;
  console.log(`  ${passed ? 'passed' : 'FAILED'}: ${verdict || 'the page did not finish'}`);
  process.exit(passed ? 0 : 1);
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
