// The page around the game: the runtime's hooks (Module), the game's start
// once the image worker has drawn its images, the on-screen keys on touch screens,
// full screen, clear words when WebGL or a download is missing or the shader is
// broken, a lost drawing context kept restorable (and said on the page when
// it stays lost), the game's sound woken by every gesture, and the offline
// worker (sw.js). Loaded before the game's fetch.js.
'use strict';

// Shows a problem on the page in place of the loading line.
function showProblem(text) {
  const problem = document.getElementById('problem');
  problem.textContent = text;
  problem.hidden = false;
  document.getElementById('status').textContent = '';
}

// --- downloads: a file that does not arrive is named on the page ---------------------------
const failedDownloads = [];

function downloadFailed(url, why) {
  const name = decodeURIComponent(new URL(url, window.location.href).pathname.split('/').pop()) || String(url);
  if (failedDownloads.includes(name)) return;
  failedDownloads.push(name);
  showProblem(`The game cannot start: ${failedDownloads.join(', ')} did not download (${why}). `
    + 'Check the connection, or that the file is in the site folder, and reload the page.');
}

// Every download the runtime makes goes through XMLHttpRequest or fetch; watch
// both. The listeners come first, before the runtime's own handlers run.
(() => {
  const open = XMLHttpRequest.prototype.open;
  XMLHttpRequest.prototype.open = function (method, url, ...rest) {
    this.addEventListener('load', () => {
      if (this.status >= 400) downloadFailed(url, `${this.status} ${this.statusText}`.trim());
    });
    this.addEventListener('error', () => downloadFailed(url, 'no answer from the server'));
    return open.call(this, method, url, ...rest);
  };
  const realFetch = window.fetch.bind(window);
  window.fetch = (input, init) => {
    const url = typeof input === 'string' ? input : input.url;
    return realFetch(input, init).then((response) => {
      if (!response.ok) downloadFailed(url, `${response.status} ${response.statusText}`.trim());
      return response;
    }, (error) => {
      downloadFailed(url, 'no answer from the server');
      throw error;
    });
  };
  // A script that does not load (fetch.js itself).
  window.addEventListener('error', (event) => {
    if (event.target instanceof HTMLScriptElement) downloadFailed(event.target.src, 'it could not be loaded');
  }, true);
  // What the runtime (fetch.js) throws after a failed download is already said
  // on the page: keep it off the console as an uncaught error. Any other error
  // is still reported there.
  const saidOnPage = (error, file) => failedDownloads.length > 0
    && /\/fetch\.js\b/.test(`${file || ''} ${(error && error.stack) || ''}`);
  window.addEventListener('error', (event) => {
    if (saidOnPage(event.error, event.filename)) event.preventDefault();
  });
  window.addEventListener('unhandledrejection', (event) => {
    if (saidOnPage(event.reason)) event.preventDefault();
  });
})();

// --- the runtime's hooks -------------------------------------------------------------------
// What the game printed, kept where a check can read it in a browser whose
// driver has no console log (WebKit's).
const gameLines = [];
var Module = {  // eslint-disable-line no-var
  print(text) {
    gameLines.push(text);
    console.log(text);
  },
  printErr(text) { console.error(text); },
  setStatus(text) {
    if (document.getElementById('problem').hidden) document.getElementById('status').textContent = text;
  },
  noInitialRun: true,  // the game starts once its images are written (startGame)
  onRuntimeInitialized() {
    document.getElementById('status').textContent = '';
    document.getElementById('canvas').focus();
    startGame().catch(startFailed);
  },
  quit(status, toThrow) {  // exit(): stop the game, keep its last frame
    if (Module._fetchWebEnded) Module._fetchWebEnded(status);
    throw toThrow;
  },
  onGameEnded() {
    document.getElementById('ended').hidden = false;
    document.title = 'Fetch (ended)';
  },
  onNoWebGL() {
    showProblem('This browser cannot draw the game: WebGL is unavailable or turned off. '
      + 'Turn on hardware (graphics) acceleration in the browser\'s settings, update the browser '
      + 'or the graphics driver, or try another browser.');
  },
  onBrokenShader(log) {
    showProblem('This browser cannot draw the game: the graphics card\'s driver did not accept its shader '
      + `(${log.trim()}). Update the browser or the graphics driver, or try another browser.`);
  },
  onAbort(what) {
    if (failedDownloads.length > 0 || !document.getElementById('problem').hidden) return;  // said already
    showProblem(`The game stopped: ${what}. Reload the page to try again.`);
  },
};

// --- what an older browser lacks: said in words ------------------------------------------
// A browser without what the game needs is told so, and what to do; what is
// only nice to have (WebGL in the image worker, full screen) is skipped
// quietly where it is used.
function cannotRun(what) {
  showProblem(`This browser cannot run the game: ${what}. Update the browser (Safari 15 or later on an `
    + 'iPhone or iPad), or try another browser.');
}

if (typeof WebAssembly !== 'object') cannotRun('it has no WebAssembly');

// --- a lost drawing context (phones drop it when memory runs short): kept ----------------
// restorable; the game pauses until it is back and then goes on where it was.
(() => {
  const canvas = document.getElementById('canvas');
  canvas.addEventListener('webglcontextlost', (event) => {
    event.preventDefault();  // without this the browser never gives it back
    console.info('The game\'s drawing context was lost; the game waits for it.');
  });
  canvas.addEventListener('webglcontextrestored', () => console.info('The drawing context is back; the game goes on.'));
})();

// --- a lost drawing context that does not come back: said on the page ------------------
// A context still lost after `seconds` leaves the game frozen; the page says
// so, with the advice to reload, and takes it back if the context returns.
function sayLostContext(seconds) {
  const canvas = document.getElementById('canvas');
  let timer = 0;
  let said = false;
  canvas.addEventListener('webglcontextlost', () => {
    clearTimeout(timer);
    timer = setTimeout(() => {
      if (!document.getElementById('problem').hidden) return;  // something said first stays
      said = true;
      showProblem('The game has stopped drawing: the browser took its drawing context away and has not '
        + 'given it back. Reload the page to play again.');
    }, seconds * 1000);
  });
  canvas.addEventListener('webglcontextrestored', () => {
    clearTimeout(timer);
    if (said) document.getElementById('problem').hidden = true;
    said = false;
  });
}

sayLostContext(5);

// --- the sound: the game's audio context woken by the player's gestures --------------------
// A browser lets an audio context run only from an event that grants the page
// user activation: on a tap, touchend (and a finger's pointerup), never
// touchstart; a click; a key. emscripten's OpenAL resumes its context once,
// on touchstart among others, which Safari refuses; and iOS moves a running
// context to 'interrupted' or 'suspended' when the phone is locked or a call
// comes in. So the page wakes the game's contexts itself, on each of those
// events for the whole visit. It starts no sound of its own: the game's first
// sound still waits for the first gesture.
function gameAudioContexts() {
  if (typeof AL === 'undefined' || !AL.contexts) return [];  // emscripten's OpenAL, once fetch.js has run
  return Object.values(AL.contexts).map((context) => context && context.audioCtx).filter(Boolean);
}

function keepSoundAwake() {
  const wake = () => {
    for (const context of gameAudioContexts()) {
      if (context.state === 'suspended' || context.state === 'interrupted') context.resume().catch(() => {});
    }
  };
  const canvas = document.getElementById('canvas');
  for (const type of ['touchend', 'pointerup']) canvas.addEventListener(type, wake);
  for (const type of ['click', 'keydown']) window.addEventListener(type, wake, true);
}

keepSoundAwake();

// --- start-up: the game's images drawn by a worker while the game downloads, then the game --
// The worker (images.js and images.wasm, web/platform/image_worker.cpp) starts
// at once, beside fetch.wasm's download and compile, and draws the twelve
// images on a thread of its own, so that the drawing never keeps the page from
// answering. It posts each BMP's bytes with its file name, in loading order,
// then { done }. A worker that cannot run says why on the page.
const drawnImages = new Promise((resolve) => {
  const cannotDraw = (why) => {
    if (failedDownloads.length === 0 && document.getElementById('problem').hidden) {
      showProblem(`The game cannot start: its images could not be drawn (${why}). Reload the page to try again.`);
    }
  };
  let worker;
  try {
    worker = new Worker('images.js');
  } catch (error) {
    cannotDraw(`this browser cannot run a worker: ${error.message}`);
    return;
  }
  const images = [];
  worker.addEventListener('message', ({ data }) => {
    if (data.missing) downloadFailed(data.missing, data.why);
    else if (data.unsupported) cannotRun(data.unsupported);
    else if (data.failed) cannotDraw(data.failed);
    else if (data.done) {
      worker.terminate();
      resolve(images);
    } else images.push(data);
  });
  // A script that did not load has no message; an error thrown in it has one.
  worker.addEventListener('error', (event) => {
    event.preventDefault();
    if (event.message) cannotDraw(event.message);
    else downloadFailed('images.js', 'it could not be loaded');
  });
});

// A task of its own (a message to ourselves, which unlike a timer is not held back).
function nextTask() {
  return new Promise((resolve) => {
    const channel = new MessageChannel();
    channel.port1.onmessage = () => resolve();
    channel.port2.postMessage(null);
  });
}

// Once the runtime is ready: the images into the game's in-memory folder, where
// it reads them as the desktop reads its own, then the game, in a task of its own.
async function startGame() {
  // The worker's copies are let go once in the game's folder (memory is what a phone runs short of).
  const images = await drawnImages;
  for (const { name, bytes } of images.splice(0)) {
    Module.FS.writeFile(`/${name}`, new Uint8Array(bytes));
    await nextTask();  // each in a task of its own: the sky alone is 3 MiB
  }
  prepareDrawing();
  await nextTask();
  Module.callMain([]);
}

// A start that throws (the images not written into the game's folder, the game
// failing as it starts) is said on the page, unless the page already says why.
function startFailed(error) {
  console.error(error);
  if (!document.getElementById('problem').hidden) return;
  showProblem(`The game cannot start: ${(error && error.message) || error}. Reload the page to try again.`);
}

// The drawing context and its shader, made in a task of their own before the
// game's start-up (which would otherwise make them), so that no task of the
// start runs long.
function prepareDrawing() {
  if (Module._fetchWebPrepareContext) Module._fetchWebPrepareContext();
}

// --- on-screen keys, shown where the device has touch --------------------------------------
(() => {
  // The page's head has set the class touch where the device has touch.
  for (const button of document.querySelectorAll('#keys [data-key]')) {
    button.addEventListener('click', () => {
      // What the keyboard's key sends, with the pointer where it is.
      if (Module.calledRun && Module._fetchWebKey) Module._fetchWebKey(button.dataset.key.charCodeAt(0));
    });
  }
})();

// --- full screen: the canvas with its keys, landscape where the browser allows it ---------
(() => {
  const game = document.getElementById('game');
  const button = document.getElementById('fullscreen');
  const current = () => document.fullscreenElement || document.webkitFullscreenElement;
  button.hidden = !(document.fullscreenEnabled || document.webkitFullscreenEnabled);
  button.addEventListener('click', async () => {
    try {
      if (current()) {
        await (document.exitFullscreen || document.webkitExitFullscreen).call(document);
        return;
      }
      await (game.requestFullscreen ? game.requestFullscreen({ navigationUI: 'hide' }) : game.webkitRequestFullscreen());
      if (screen.orientation && screen.orientation.lock) await screen.orientation.lock('landscape').catch(() => {});
    } catch {
      // The browser said no: the game plays on in the page.
    }
  });
  const label = () => {
    button.textContent = current() ? 'Leave full screen' : 'Full screen';
    button.setAttribute('aria-label', button.textContent);
  };
  document.addEventListener('fullscreenchange', label);
  document.addEventListener('webkitfullscreenchange', label);
})();

// --- offline: the worker keeps the page's files (https or localhost only, the browser's rule)
if ('serviceWorker' in navigator && window.isSecureContext) {
  window.addEventListener('load', () => {
    navigator.serviceWorker.register('sw.js').catch(() => {
      // No worker (for example a host without sw.js, or offline): the game plays on.
    });
  });
}
