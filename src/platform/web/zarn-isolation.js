// The page's service worker: it gives the page the cross-origin isolation that its threads' shared memory
// needs on a server that does not send the two headers for it. Every same-origin file the page loads comes
// back with them, as if the server had sent them; files from elsewhere pass untouched.
const isolationHeaders = {
  'Cross-Origin-Opener-Policy': 'same-origin',
  'Cross-Origin-Embedder-Policy': 'require-corp',
};

// Takes over at once, and the page that registered it too, so that its one reload is isolated.
self.addEventListener('install', () => self.skipWaiting());
self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));

function withIsolationHeaders(response) {
  // An opaque or failed response has no headers to add to.
  if (response.status === 0) return response;
  const headers = new Headers(response.headers);
  for (const [name, value] of Object.entries(isolationHeaders)) headers.set(name, value);
  return new Response(response.body, { status: response.status, statusText: response.statusText, headers });
}

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (new URL(request.url).origin !== self.location.origin) return;
  // A request that may only be answered from the cache cannot be fetched anew.
  if (request.cache === 'only-if-cached' && request.mode !== 'same-origin') return;
  event.respondWith(fetch(request).then(withIsolationHeaders));
});
