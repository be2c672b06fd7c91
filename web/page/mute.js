// The page's mute button (the element with id "mute"): remembered for the next
// visit in localStorage; while muted the game starts no new sound. The game's
// sound itself starts with the player's first click, tap or key, when the
// browser lets the page's audio run.
(function () {
  'use strict';
  var key = 'fetch.muted';
  var button = document.getElementById('mute');

  function muted() {
    try {
      return window.localStorage.getItem(key) === '1';
    } catch (e) {
      return false;
    }
  }

  // Shows the state on the button and hands it to the game, once the game is there.
  function apply() {
    var on = muted();
    button.textContent = on ? 'Sound: off' : 'Sound: on';
    button.setAttribute('aria-pressed', on ? 'true' : 'false');
    if (typeof Module !== 'undefined' && Module._fetchSetMuted) Module._fetchSetMuted(on ? 1 : 0);
  }

  button.addEventListener('click', function () {
    try {
      window.localStorage.setItem(key, muted() ? '0' : '1');
    } catch (e) { /* no storage: the button has nothing to remember */ }
    apply();
    var canvas = document.getElementById('canvas');
    if (canvas) canvas.focus();  // the game's keys go on working
  });

  // The runtime is ready before the game's start-up runs: hand the state over then.
  var ready = Module.onRuntimeInitialized;
  Module.onRuntimeInitialized = function () {
    if (ready) ready();
    apply();
  };
  apply();
})();
