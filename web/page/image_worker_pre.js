// The start of the image worker's script (images.js, put before emscripten's
// runtime by the build): what stops the worker before its last image is told
// to the page, which says so, rather than left to the worker's console. The
// page names a download that failed ({ missing, why }) as it names its own;
// anything else ({ failed }), a failed compile say, it reports as it is.
'use strict';

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
})();
