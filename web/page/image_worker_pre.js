// The start of the image worker's script (images.js, put before emscripten's
// runtime by the build): what stops the worker before its last image is told
// to the page, which says so, rather than left to the worker's console. The
// page names a download that failed ({ missing, why }) as it names its own;
// anything else ({ failed }), a failed compile say, it reports as it is.
//
// It also makes the visit's first WebGL context, and drops it at once. The
// first one sets up the browser's channel to its graphics process, which can
// take hundreds of milliseconds (with software WebGL 300 to 500 ms here); made
// here, while images.wasm downloads, that wait is off the page's main thread,
// where the game's own context then takes a few milliseconds.
//
// An older Safari is met where it stands: a worker without WebAssembly is told
// to the page ({ unsupported }), which says it in words; one without
// WebAssembly.instantiateStreaming (workers before Safari 15) downloads
// images.wasm whole and compiles it from there.
'use strict';

if (typeof WebAssembly !== 'object') {
  postMessage({ unsupported: 'it cannot run WebAssembly in a worker' });
} else if (!WebAssembly.instantiateStreaming) {
  WebAssembly.instantiateStreaming = (source, imports) => Promise.resolve(source)
    .then((response) => response.arrayBuffer())
    .then((bytes) => WebAssembly.instantiate(bytes, imports));
}

(() => {
  const realFetch = self.fetch.bind(self);
  self.fetch = (url, init) => realFetch(url, init).then((response) => {
    if (!response.ok) postMessage({ missing: String(url), why: `${response.status} ${response.statusText}`.trim() });
    return response;
  }, (error) => {
    postMessage({ missing: String(url), why: 'no answer from the server' });
    throw error;
  });
  self.addEventListener('unhandledrejection', (event) => {
    event.preventDefault();  // said on the page instead
    postMessage({ failed: String(event.reason) });
  });
  // After this script, once images.wasm is asked for.
  Promise.resolve().then(() => {
    try {
      const context = new OffscreenCanvas(1, 1).getContext('webgl');
      const lose = context && context.getExtension('WEBGL_lose_context');
      if (lose) lose.loseContext();
    } catch {
      // No WebGL in a worker here: the game's context sets the channel up itself.
    }
  });
})();
