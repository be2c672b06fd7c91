// The shapes drawn by size on screen against the shapes as the game asks for
// them: opens the check page (web/checks/tessellation_levels_page.cpp, built
// into CHECKS_DIR/tessellation_levels.html) in headless Chromium and prints its
// lines. Fails when a scene has more than 0.5 % of its 4 x 4 blocks off by more
// than 8 levels, when no scene ran or when the page does not finish, and when
// docs/speed.md's table of triangles and draw calls is not what it counted
// (the table it expects is printed then). Saves each
// scene's pair (as asked, left; by size, right) as WORK_DIR/levels-SCENE.png.
//
//   node tessellation_levels.js CHECKS_DIR WORK_DIR
'use strict';

const fs = require('fs');
const path = require('path');
const { runCheckPage } = require('../../../harness/browser.js');

const speedGuide = path.join(__dirname, '../../../docs/speed.md');
let tableHeld = false;

// The triangles and draw calls of a frame, both ways, as docs/speed.md's table.
function countsTable(lines) {
  const rows = lines.map((line) => line.match(
    /^([\w-]+): [\d.]+ % of blocks off; a frame: (\d+) triangles in (\d+) draw calls as asked, (\d+) in (\d+) by size$/))
    .filter(Boolean)
    .map(([, scene, ...counts]) => `| ${scene} | ${counts.map((n) => Number(n).toLocaleString('en-US')).join(' | ')} |`);
  return ['| Scene | Triangles, as asked | Draw calls, as asked | Triangles, by size | Draw calls, by size |',
    '|---|---|---|---|---|', ...rows].join('\n') + '\n';
}

runCheckPage({
  name: 'the shapes drawn by size on screen look as drawn in full',
  page: 'tessellation_levels',
  last: 'tessellation levels: ',
  seconds: 300,
  report: async (page, lines, verdict) => {
    for (const line of lines.filter((l) => l !== verdict && /^[\w-]+: [\d.]+ % |error/.test(l))) console.log(`    ${line}`);
    const pairs = await page.evaluate(() => Array.from(document.querySelectorAll('canvas[id^="pair-"]'),
      (canvas) => [canvas.id.slice('pair-'.length), canvas.toDataURL('image/png').split(',')[1]]));
    for (const [scene, data] of pairs) fs.writeFileSync(path.join(process.argv[3], `levels-${scene}.png`), data, 'base64');
    const table = countsTable(lines);
    tableHeld = `\n${fs.readFileSync(speedGuide, 'utf8')}`.includes(`\n${table}`);
    if (!tableHeld) console.log(`    docs/speed.md's table of triangles and draw calls should read:\n${table}`);
  },
  passed: (verdict) => {
    const [, scenes, over] = verdict.match(/^tessellation levels: (\d+) scenes, (\d+) over/) || [];
    return Number(scenes) > 0 && Number(over) === 0 && tableHeld;
  },
});
