// The browser layer's shader against fixed_function_lighting.cpp, within one level of 255:
// opens the check page (web/checks/shader_lighting_page.cpp, which the browser
// build makes into CHECKS_DIR/shader_lighting.html) in headless Chromium and
// waits for its last line. Prints that line, and the page's other lines when
// it fails: when a colour is off, when no case ran or when the page does not
// finish (then it exits 1).
//
//   node shader_lighting.js CHECKS_DIR WORK_DIR
'use strict';

const { runCheckPage } = require('../../../harness/browser.js');

runCheckPage({
  name: 'the shader lights as fixed_function_lighting.cpp does, within one level',
  page: 'shader_lighting',
  last: 'shader lighting: ',
  seconds: 180,
  passed: (verdict) => {
    const [, cases, off] = verdict.match(/^shader lighting: (\d+) cases, (\d+) off/) || [];
    return Number(cases) > 0 && Number(off) === 0;
  },
});
