// The offline worker: it stores the page's files when it installs and serves
// them when the network cannot. The build writes the site's copy of this file
// (web/site_build/make_worker.js), filling in FILES and a hash of their contents, so a new
// build is a new worker with a new cache, which takes over at once and drops
// the old cache. Until the browser fetches that new worker, the page's files
// are asked of the network first and every good answer replaces the stored
// copy: the first load after a new build is served gets the new files, and
// stores them for the next time there is no network.
'use strict';

const FILES = [/* the site's files */];
const CACHE = 'fetch-/* hash of the files */';
// The site's entry page: what the scope's root (the site's bare address) is.
const ENTRY_PAGE = 'index.html';

// What a request is stored and looked up as: the scope's root as the entry page.
function storedAs(request) {
  const atRoot = new URL(request.url).pathname === new URL(self.registration.scope).pathname;
  return atRoot ? new URL(ENTRY_PAGE, self.registration.scope).href : request;
}

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

// The network first (revalidated, never a stale HTTP cache), storing what it
// answers; the stored copy when the network fails or answers with an error.
// The site's bare address is stored and served as the entry page.
self.addEventListener('fetch', (event) => {
  const { request } = event;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  const stored = () => caches.match(storedAs(request), { ignoreSearch: true });
  event.respondWith(fetch(request, { cache: 'no-cache' }).then((response) => {
    if (!response.ok) return stored().then((copy) => copy || response);
    const copy = response.clone();
    event.waitUntil(caches.open(CACHE).then((cache) => cache.put(storedAs(request), copy)));
    return response;
  }, (error) => stored().then((copy) => {
    if (copy) return copy;
    throw error;
  })));
});
