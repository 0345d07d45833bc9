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
  const ACTIVATE = 0, CLOSE_REQUEST = 1, TICK = 2, ESCAPE = 3;
  const MOVES = { ArrowLeft: 4, ArrowRight: 5, ArrowUp: 6, ArrowDown: 7 };
  let sink = 0;
  let ended = false;
  let pendingFocus = null;
  const timers = new Map();

  function report(event, target) {
    if (!ended && sink) Module.pelindraReceive(sink, event, target);
  }

  // Asked of the browser's own hit test, which takes in the border a small control takes taps on, and
  // what lies on top of it, to the fraction of a pixel where the control's rectangle would not.
  function inside(element, e) {
    return element.contains(document.elementFromPoint(e.clientX, e.clientY));
  }

  return {
    attached: false,

    attach(runtime) {
      performance.mark("pelindra:main");
      this.attached = true;
      sink = runtime;
      document.addEventListener("keydown", (e) => {
        if (e.key === "Escape" && !e.repeat) report(ESCAPE, 0);
      });
      // The page fits its stage to the screen, again on every resize, and gives its links and boxes the
      // reach a finger needs (index.html), from before the program runs.
      window.pelindraFit();
    },

    // A control that answers the mouse, touch and the keyboard the way the desktop's do: a press and a
    // release inside it, or Enter or Space, not repeated while held.
    // Links show hover and press; digit labels look the same whatever the pointer does, and leave
    // their class alone, so that a press costs no frame of its own ahead of the answer's.
    clickable(element, handle, looks) {
      let pressed = false;
      const mark = (name, on) => {
        if (looks) element.classList.toggle(name, on);
      };
      // Once the runtime has put it in place.
      queueMicrotask(() => window.pelindraReach(element));
      const release = () => {
        pressed = false;
        mark("pressed", false);
      };
      element.addEventListener("pointerenter", () => mark("hover", true));
      element.addEventListener("pointerleave", () => {
        mark("hover", false);
        release();
      });
      element.addEventListener("pointercancel", release);
      element.addEventListener("pointerdown", (e) => {
        if (e.button !== 0) return;
        pressed = true;
        mark("pressed", true);
      });
      element.addEventListener("pointerup", (e) => {
        if (e.button !== 0 || !pressed) return;
        release();
        if (inside(element, e)) report(ACTIVATE, handle);
      });
      // A click that no pointer made: assistive technology pressing the button.
      element.addEventListener("click", (e) => {
        if (e.detail === 0) report(ACTIVATE, handle);
      });
      element.addEventListener("keydown", (e) => {
        if (e.key in MOVES) {
          e.preventDefault();
          report(MOVES[e.key], handle);
          return;
        }
        if (e.key !== "Enter" && e.key !== " ") return;
        e.preventDefault();
        if (!e.repeat) report(ACTIVATE, handle);
      });
      element.addEventListener("keyup", (e) => {
        if (e.key === " ") e.preventDefault();
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
      for (const handle of [...timers.keys()]) this.stopTimer(handle);
      document.getElementById("stage").setAttribute("data-exit-code", String(code));
    },
  };
})();
