// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page's side of localStorage: text in and out as it is, or why the browser refused. What the text
// means as bytes is decided on the C++ side (stored_bytes.h).

Module.pelindraStorage = (() => {
  function refusal(e) {
    return "the browser's storage refused it (" + ((e && e.name) || String(e)) + ")";
  }

  return {
    get(key) {
      try {
        return { ok: true, text: window.localStorage.getItem(key), reason: "" };
      } catch (e) {
        return { ok: false, text: null, reason: refusal(e) };
      }
    },

    set(key, text) {
      try {
        window.localStorage.setItem(key, text);
        return "";
      } catch (e) {
        return refusal(e);
      }
    },

    // Best effort: a key left behind is read no more once the new one is there.
    remove(key) {
      try {
        window.localStorage.removeItem(key);
      } catch (e) {}
    },
  };
})();
