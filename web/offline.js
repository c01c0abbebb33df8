// After one visit the game starts and plays with the network gone: a service worker keeps the
// whole site. Without one (a file opened from disk, an old browser) the page works as before.
'use strict';
if ('serviceWorker' in navigator && window.isSecureContext) {
  window.addEventListener('load', () => {
    navigator.serviceWorker.register('sw.js').catch((error) => {
      console.warn('Fennwick will need the network next time: ' + error.message);
    });
  });
}
