// The browser layer's shader against fixed_function_lighting.cpp, within one level of 255:
// opens the check page (tests/web/shader_lighting_page.cpp, which the browser
// build makes into CHECKS_DIR/shader_lighting.html) in headless Chromium and
// waits for its last line. Prints that line, and the page's other lines when
// it fails: when a colour is off, when no case ran or when the page does not
// finish (then it exits 1).
//
//   node shader_lighting.js CHECKS_DIR WORK_DIR
'use strict';

const fs = require('fs');
const path = require('path');
const lib = require('../../../harness/browser.js');

const name = 'the shader lights as fixed_function_lighting.cpp does, within one level';
const [checksDir, workDir] = process.argv.slice(2);
if (!checksDir || !workDir) {
  console.error('usage: node shader_lighting.js CHECKS_DIR WORK_DIR');
  process.exit(2);
}
const only = process.env.FETCH_WEB_CHECKS;
if (only && !name.includes(only)) process.exit(0);  // not among the checks asked for

(async () => {
  console.log(name);
  const { server, url } = await lib.serve(checksDir);
  fs.mkdirSync(workDir, { recursive: true });
  const browser = await lib.launch(fs.mkdtempSync(path.join(workDir, 'profile-')));
  let verdict;
  let passed = false;
  try {
    const page = await browser.newPage();
    const lines = [];
    page.on('console', (message) => lines.push(message.text()));
    page.on('pageerror', (error) => lines.push(`page error: ${error.message}`));
    await page.goto(new URL('shader_lighting.html', url).href);
    verdict = await lib.waitFor('the last line of the check page',
      () => lines.find((line) => line.startsWith('shader lighting: ')), 180).catch((error) => {
      lines.push(error.message);
      return undefined;
    });
    const [, cases, off] = (verdict || '').match(/^shader lighting: (\d+) cases, (\d+) off/) || [];
    passed = Number(cases) > 0 && Number(off) === 0;
    if (!passed) for (const line of lines.filter((l) => l !== verdict)) console.log(`    ${line}`);
  } finally {
    await browser.close();
    server.close();
  }
  console.log(`  ${passed ? 'passed' : 'FAILED'}: ${verdict || 'the page did not finish'}`);
  process.exit(passed ? 0 : 1);
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
