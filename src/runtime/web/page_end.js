// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A page may be gone for good once it is hidden or left: a closed tab, a reload, a phone that freezes
// a tab in the background gives no later chance. Both tell the runtime that the program is being ended;
// a page that comes back goes on as it was.

Module.pelindraPageEnd = {
  attach(runtime) {
    const ending = () => Module.pelindraEnding(runtime);
    window.addEventListener("pagehide", ending);
    document.addEventListener("visibilitychange", () => {
      if (document.visibilityState === "hidden") ending();
    });
  },
};
