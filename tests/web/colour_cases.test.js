// harness/regions.js reads the colour tests as picture_probe does: each case of
// harness/colour_cases.json passes and fails the pixels it lists, or is refused
// (tests/e2e/test_colour_cases.sh holds picture_probe to the same cases).
//
//   node --test tests/web/colour_cases.test.js
'use strict';

const assert = require('node:assert/strict');
const { test } = require('node:test');
const { colourTest } = require('../../harness/regions.js');
const { cases } = require('../../harness/colour_cases.json');

test('regions.js agrees with every case of colour_cases.json', () => {
  assert.ok(cases.length > 0);
  for (const { test: text, passes = [], fails = [], unreadable } of cases) {
    if (unreadable) {
      assert.throws(() => colourTest(text), undefined, `'${text}' should be refused`);
      continue;
    }
    const passing = colourTest(text);
    for (const pixel of passes) assert.equal(passing(pixel), true, `'${text}' on ${pixel}`);
    for (const pixel of fails) assert.equal(passing(pixel), false, `'${text}' on ${pixel}`);
  }
});
