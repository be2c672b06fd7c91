// The screen regions, colour tests and conditions of harness/regions.json, for
// node, and the probes that measure them on a picture (share, changed):
// regions.NAME is [x, y, width, height]; colours.NAME([r, g, b]) is true when
// the pixel passes that colour test; conditions.NAME(picture) (or
// conditions.NAME(first, second) for a change between two pictures) is true
// when the picture meets it, and conditions.NAME.secondsApart is the wait
// between the two. The tests are written as picture_probe reads them
// ("g>r+20,b<100": comparisons that must all hold, between channels r, g, b,
// min, max, spread = max - min, numbers, and a channel plus or minus a
// number); this is their one evaluator in JavaScript, and
// harness/colour_cases.json holds the cases it and picture_probe must agree on.
'use strict';

const table = require('./regions.json');

const CHANNELS = {
  spread: ([r, g, b]) => Math.max(r, g, b) - Math.min(r, g, b),
  min: ([r, g, b]) => Math.min(r, g, b),
  max: ([r, g, b]) => Math.max(r, g, b),
  r: ([r]) => r,
  g: ([, g]) => g,
  b: ([, , b]) => b,
};
const OPS = { '<=': (a, b) => a <= b, '>=': (a, b) => a >= b, '<': (a, b) => a < b, '>': (a, b) => a > b };

// An operand: a channel, a number, or a channel plus or minus a number.
function operand(text) {
  const match = /^(spread|min|max|r|g|b)?([+-]?\d+(?:\.\d+)?)?$/.exec(text);
  if (!match || (!match[1] && match[2] === undefined) || (match[1] && match[2] && !/^[+-]/.test(match[2]))) {
    throw new Error(`cannot read the operand '${text}'`);
  }
  const channel = match[1] ? CHANNELS[match[1]] : () => 0;
  const offset = Number(match[2] || 0);
  return (pixel) => channel(pixel) + offset;
}

// colourTest('g>r+20,b<100') -> (pixel) => boolean
function colourTest(text) {
  const terms = text.split(',').map((term) => {
    const compact = term.replace(/\s+/g, '');
    const op = ['<=', '>=', '<', '>'].find((candidate) => compact.includes(candidate));
    if (!op) throw new Error(`no comparison in '${compact}'`);
    const at = compact.indexOf(op);
    return { left: operand(compact.slice(0, at)), op: OPS[op], right: operand(compact.slice(at + op.length)) };
  });
  return (pixel) => terms.every(({ left, op, right }) => op(left(pixel), right(pixel)));
}

const regions = Object.fromEntries(Object.entries(table.regions).map(([name, { rect }]) => [name, rect]));
const colours = Object.fromEntries(Object.entries(table.colours).map(([name, { test }]) => [name, colourTest(test)]));

// --- probes on a picture: { width, height, data, channels (4 unless given) }, rows top first
// The rectangles are in the game's window (whole_window); a picture of another
// size (a finer drawing buffer) has them scaled to it.

function pixel(image, x, y) {
  const i = (y * image.width + x) * (image.channels || 4);
  return [image.data[i], image.data[i + 1], image.data[i + 2]];
}

function scaled(image, [x, y, w, h]) {
  const [, , windowWidth, windowHeight] = regions.whole_window;
  const sx = image.width / windowWidth;
  const sy = image.height / windowHeight;
  return [Math.round(x * sx), Math.round(y * sy), Math.round(w * sx), Math.round(h * sy)];
}

// Share of pixels in the rectangle [x, y, width, height] for which test(rgb) holds.
function share(image, rect, test) {
  const [x0, y0, w, h] = scaled(image, rect);
  let hits = 0;
  for (let y = y0; y < y0 + h; ++y) for (let x = x0; x < x0 + w; ++x) if (test(pixel(image, x, y))) ++hits;
  return hits / (w * h);
}

// Share of pixels in the rectangle whose largest channel difference exceeds
// tolerance (a and b of one size).
function changed(a, b, rect, tolerance) {
  const [x0, y0, w, h] = scaled(a, rect);
  let hits = 0;
  for (let y = y0; y < y0 + h; ++y) {
    for (let x = x0; x < x0 + w; ++x) {
      const p = pixel(a, x, y);
      const q = pixel(b, x, y);
      if (Math.max(Math.abs(p[0] - q[0]), Math.abs(p[1] - q[1]), Math.abs(p[2] - q[2])) > tolerance) ++hits;
    }
  }
  return hits / (w * h);
}

// A condition: the share of a colour test in a region, or of pixels changed
// between two pictures by more than a tolerance, compared with a bound.
function condition(name, { share: colour, changed: tolerance, in: region, op, bound, seconds_apart: secondsApart }) {
  if (!regions[region] || !OPS[op] || (colour !== undefined ? !colours[colour] : tolerance === undefined)) {
    throw new Error(`cannot read the condition '${name}'`);
  }
  const measure = colour !== undefined
    ? (picture) => share(picture, regions[region], colours[colour])
    : (first, second) => changed(first, second, regions[region], tolerance);
  return Object.assign((...pictures) => OPS[op](measure(...pictures), bound), { secondsApart });
}
const conditions = Object.fromEntries(Object.entries(table.conditions).map(([name, entry]) => [name, condition(name, entry)]));

// The second whose trees stand clear of what the checks judge (seconds since 1970).
const clearOfTrees = table.clear_of_trees.second;

module.exports = { regions, colours, conditions, colourTest, share, changed, clearOfTrees };
