// The offline worker: it stores the page's files when it installs and serves
// them when the network cannot. The build writes the site's copy of this file
// (web/make_worker.js), filling in FILES and a hash of their contents, so a new
// build is a new worker with a new cache. The new worker takes over at once
// and drops the old cache; the page's files are asked of the network first,
// so the first load after a new build is served gets the new files.
'use strict';

const FILES = [/* the site's files */];
const CACHE = 'fetch-/* hash of the files */';

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE)
    .then((cache) => cache.addAll(FILES.map((file) => new Request(file, { cache: 'no-cache' }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith('fetch-') && name !== CACHE)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The network first (revalidated, never a stale HTTP cache), the stored copy
// when the network fails or answers with an error.
self.addEventListener('fetch', (event) => {
  const { request } = event;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(fetch(request, { cache: 'no-cache' }).then(
    (response) => (response.ok ? response : caches.match(request, { ignoreSearch: true }).then((stored) => stored || response)),
    (error) => caches.match(request, { ignoreSearch: true }).then((stored) => {
      if (stored) return stored;
      throw error;
    })));
});
