// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Keeps the whole site, so that after one visit the game loads and plays without the network. The
// build's name and its files are filled in by make_site.py: a new build is a new worker, which the
// browser fetches at the next visit online, and whose cache replaces the one of the build before.
// The record is in localStorage, which no cache holds.
const BUILD = "@BUILD@";
const FILES = ["@FILES@"];
// Another copy of the game elsewhere on the same origin keeps caches of its own.
const PREFIX = "pelindra " + self.registration.scope + " ";
const CACHE = PREFIX + BUILD;

self.addEventListener("install", (event) => {
  // Each checked with the server, since the browser's HTTP cache may hold files of the build before; one
  // the page has just loaded costs no more than the asking.
  event.waitUntil(
    caches.open(CACHE)
      .then((cache) => cache.addAll(FILES.map((file) => new Request(file, { cache: "no-cache" }))))
      .then(() => self.skipWaiting()));
});

// A page still open on the build before goes on with what it has; what it asks for later, such as a
// window's picture, comes from the new build.
self.addEventListener("activate", (event) => {
  event.waitUntil(
    caches.keys()
      .then((names) => Promise.all(
        names.filter((name) => name.startsWith(PREFIX) && name !== CACHE).map((name) => caches.delete(name))))
      .then(() => self.clients.claim()));
});

// The site's own files from the cache, whatever their query; anything else as the network has it.
self.addEventListener("fetch", (event) => {
  const request = event.request;
  const url = new URL(request.url);
  const scope = self.registration.scope;
  if (request.method !== "GET" || !url.href.startsWith(scope)) return;
  const bare = url.origin + url.pathname;
  const page = request.mode === "navigate" && (bare === scope || bare === scope + "index.html");
  event.respondWith(
    caches.open(CACHE)
      .then((cache) => cache.match(page ? "index.html" : request, { ignoreSearch: true }))
      .then((kept) => kept || fetch(request)));
});
