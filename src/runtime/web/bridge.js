// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page's side of the web runtime: what C++ cannot do without a JavaScript function of its own.
// Listeners that report to the runtime, timers held to performance.now(), the console, and showing the
// stage once its fonts and pictures are in.

performance.mark("pelindra:script");
// The runtime stops before main when pelindra.wasm cannot be fetched or compiled; later it is a
// program's fault, not a load's.
{
  let told = false;
  Module.onAbort = (what) => {
    if (told || Module.pelindra.attached) return;
    told = true;
    window.pelindraFailed(new URL("pelindra.wasm", document.baseURI) + " did not load or start (" + what + ")");
  };
  // The module is fetched here rather than by the runtime's loader, which has no handler for a fetch
  // that fails outright (a page opened as a file, a dropped connection) and so never aborts; nor is
  // that rejection an event a page opened as a file is told of. Streaming compiles it as it arrives,
  // and needs the server to say it is WebAssembly; the bytes whole do not.
  Module.instantiateWasm = (imports, receive) => {
    const fetched = () => fetch("pelindra.wasm", { credentials: "same-origin" }).then((response) => {
      if (!response.ok) throw new Error("the server answered " + response.status);
      return response;
    });
    fetched()
      .then((response) => WebAssembly.instantiateStreaming(response, imports))
      .catch(() => fetched().then((response) => response.arrayBuffer())
        .then((bytes) => WebAssembly.instantiate(bytes, imports)))
      .then((result) => receive(result.instance, result.module), Module.onAbort);
    return {};
  };
}
Module.pelindra = (() => {
  // The runtime's PageEvent, and the window model's Key and PointerAction.
  const ACTIVATE = 0, CLOSE_REQUEST = 1, TICK = 2, KEY = 3, POINTER = 4, REFIT = 5;
  const [NEXT, PREVIOUS, LEFT, RIGHT, UP, DOWN, PRESS_KEY, ESCAPE] = [0, 1, 2, 3, 4, 5, 6, 7];
  const KEYS = { ArrowLeft: LEFT, ArrowRight: RIGHT, ArrowUp: UP, ArrowDown: DOWN, Enter: PRESS_KEY, " ": PRESS_KEY,
    Escape: ESCAPE };
  const [MOVE, PRESS, RELEASE, LEAVE] = [0, 1, 2, 3];
  let sink = 0;
  let ended = false;
  let pendingFocus = null;
  const timers = new Map();
  const windows = new Map(); // a window's element, and its client area's, by the window's handle

  function report(event, target, argument = 0, [x, y] = [0, 0], [toX, toY] = [0, 0]) {
    return !ended && sink ? Module.pelindraReceive(sink, event, target, argument, x, y, toX, toY) : 0;
  }

  function pointer(handle, action, e) {
    const w = windows.get(handle);
    if (!w) return;
    const cursor = report(POINTER, handle, action, window.pelindraPoint(w.client, e));
    w.client.style.cursor = cursor ? "pointer" : "";
  }

  const refit = () => report(REFIT, 0, Math.ceil(window.pelindraReach()));

  return {
    attached: false,

    attach(runtime) {
      performance.mark("pelindra:main");
      this.attached = true;
      sink = runtime;
      // The keys the game answers, wherever the page has the keyboard: Tab goes round the windows' own
      // controls and never out of the page, as on the desktop.
      document.addEventListener("keydown", (e) => {
        if (e.altKey || e.ctrlKey || e.metaKey) return;
        // WebKit names Shift+Tab's key "Unidentified".
        const key = e.key === "Tab" || e.code === "Tab" ? (e.shiftKey ? PREVIOUS : NEXT) : KEYS[e.key];
        const active = document.activeElement;
        const holder = active && active.closest && active.closest("#stage [data-window]");
        if (key === undefined || (!holder && active && active !== document.body)) return;
        e.preventDefault();
        if (e.repeat && (key === PRESS_KEY || key === ESCAPE)) return;
        const handle = [...windows].find(([, w]) => w.element === holder);
        report(KEY, handle ? handle[0] : 0, key);
      });
      // A button pressed by Space clicks on the key's release.
      document.addEventListener("keyup", (e) => {
        if (e.key === " ") e.preventDefault();
      });
      // The page fits its stage to the screen, again on every resize (index.html), and the runtime
      // gives its links and boxes the reach a finger needs at each fit.
      window.pelindraRefit = refit;
      window.pelindraFit();
    },

    // A window's client area hands the pointer to the window model, which says what lies under it, and
    // the keyboard moves only as the model says, never with a press.
    window(element, client, handle) {
      windows.set(handle, { element, client });
      client.addEventListener("mousedown", (e) => e.preventDefault());
      client.addEventListener("pointermove", (e) => pointer(handle, MOVE, e));
      client.addEventListener("pointerdown", (e) => e.button === 0 && pointer(handle, PRESS, e));
      client.addEventListener("pointerup", (e) => e.button === 0 && pointer(handle, RELEASE, e));
      client.addEventListener("pointerleave", (e) => pointer(handle, LEAVE, e));
      client.addEventListener("pointercancel", (e) => pointer(handle, LEAVE, e));
    },

    // A press made before the program ran, at two points of a window's client area, by its name.
    replay(name, down, up) {
      const found = [...windows].find(([, w]) => w.element.dataset.window === name);
      if (found) report(ACTIVATE, found[0], 0, down, up);
      return !!found;
    },

    // A click that no pointer made: assistive technology pressing the button.
    clickable(element, handle) {
      element.addEventListener("click", (e) => {
        if (e.detail === 0) report(ACTIVATE, handle);
      });
    },

    closer(element, handle) {
      element.addEventListener("click", () => report(CLOSE_REQUEST, handle));
    },

    // Each tick is due a whole number of intervals after the start, whenever the one before it came,
    // so lateness does not add up. A tab that slept through several ticks gets one, as a desktop
    // timer drops the ticks it missed.
    startTimer(handle, interval) {
      this.stopTimer(handle);
      const timer = { start: performance.now(), count: 0, interval, id: 0 };
      const arm = () => {
        const due = timer.start + (timer.count + 1) * interval;
        timer.id = setTimeout(fire, Math.max(0, due - performance.now()));
      };
      const fire = () => {
        if (timers.get(handle) !== timer) return;
        const now = performance.now();
        if (now < timer.start + (timer.count + 1) * interval - 0.5) {
          arm();
          return;
        }
        timer.count = Math.max(timer.count + 1, Math.floor((now - timer.start) / interval));
        arm();
        report(TICK, handle);
      };
      timers.set(handle, timer);
      arm();
    },

    stopTimer(handle) {
      const timer = timers.get(handle);
      if (timer) clearTimeout(timer.id);
      timers.delete(handle);
    },

    warn(line) {
      console.warn(line);
    },

    // The stage shows once the menu can be drawn whole: its faces loaded and its pictures decoded. A
    // font or picture that never comes holds it back for two seconds at most.
    // A hidden stage takes no focus: what asks for it before the stage shows gets it as it does.
    focus(element) {
      if (document.getElementById("stage").hasAttribute("data-loading")) pendingFocus = element;
      else element.focus();
    },

    reveal() {
      performance.mark("pelindra:menu-built");
      const stage = document.getElementById("stage");
      const waits = [window.pelindraAssets];
      let shown = false;
      let fallback = 0;
      const show = () => {
        if (shown) return;
        shown = true;
        clearTimeout(fallback);
        stage.removeAttribute("data-loading");
        window.pelindraFit();
        if (pendingFocus) pendingFocus.focus();
        pendingFocus = null;
        performance.mark("pelindra:menu-shown");
        if (window.pelindraInstallable) window.pelindraInstallable();
      };
      fallback = setTimeout(show, 2000);
      Promise.all(waits).then(show, show);
    },

    exited(code) {
      ended = true;
      windows.clear();
      for (const handle of [...timers.keys()]) this.stopTimer(handle);
      document.getElementById("stage").setAttribute("data-exit-code", String(code));
    },
  };
})();
