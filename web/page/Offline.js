// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Served from a web server, the page hands its folder to the service worker beside it, which
// keeps every file so that the game plays offline from then on. Opened from disk the page is
// whole on its own: there is no worker to register and no folder to keep.
(function () {
  'use strict';

  if (!/^https?:$/.test(location.protocol)) {
    // A browser would look for the manifest beside the file and report that a page from disk
    // may not read it.
    // (No optional chaining: the build's JavaScript minifier does not know it.)
    const manifest = document.querySelector('link[rel="manifest"]');
    if (manifest) {
      manifest.remove();
    }
    return;
  }
  if (!('serviceWorker' in navigator)) {
    return;
  }
  // After the page has loaded, so that the worker's downloads do not delay the first board.
  addEventListener('load', () => {
    navigator.serviceWorker.register('service-worker.js').catch((error) => {
      // Without the worker the game still plays; it only does not keep itself for later.
      console.warn('Zirvel 2: the game will not play offline:', error);
    });
  });
})();
