// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Where the runtime's elements come from. make_site.py writes the start-up windows into the page, as
// this build's runtime made them under node (prebuild.js), so that the menu paints before the program
// has loaded. The runtime then takes those elements over, in the order it made them, instead of making
// new ones; a page made by another build, or without them, is emptied and built afresh. Presses made
// on the page's own menu meanwhile (index.html keeps them) are handed on once the start-up is over.

Module.pelindraElements = {
  maker(stage) {
    const fresh = (tag, className) => {
      const element = document.createElement(tag);
      element.className = className;
      return element;
    };
    // By the order in which the runtime made them, which need not be the order they stand in.
    const prebuilt = [];
    if (stage.getAttribute("data-prebuilt") === Module.pelindraMenuStamp) {
      const order = stage.getAttribute("data-prebuilt-order").split(" ").map(Number);
      stage.querySelectorAll("*").forEach((element, n) => (prebuilt[order[n]] = element));
    } else {
      stage.replaceChildren();
    }
    const left = new Set(prebuilt.filter(Boolean));
    let made = 0;

    // An element taken over is where it belongs already, and stays there: moving it would lose what
    // the pointer and the keyboard are doing to it.
    const taken = [];
    const append = Node.prototype.appendChild;
    function stay(child) {
      return child.parentNode === this ? child : append.call(this, child);
    }
    const take = (element) => {
      element.appendChild = stay;
      taken.push(element);
      left.delete(element);
      return element;
    };
    if (left.size) take(stage);

    // A press of the pointer goes to its window as it went then; one of a key or of assistive technology
    // is handed on as assistive technology would press the control.
    const press = ({ window: name, control, down, up }) => {
      if (down && Module.pelindra.replay(name, down, up)) return;
      const w = stage.querySelector(`[data-window="${CSS.escape(name)}"]`);
      const target = w && w.querySelector(control ? `[data-control="${CSS.escape(control)}"]` : ".titlebar .close");
      if (target) target.dispatchEvent(new MouseEvent("click", { bubbles: true }));
      else console.warn(`pelindra: ${name} ${control || "close"} was pressed before the program ran, and is gone`);
    };
    // Once main has returned, the start-up is over.
    queueMicrotask(() => {
      for (const element of taken) delete element.appendChild;
      for (const element of left) {
        console.error(`pelindra: the page's <${element.localName} class="${element.className}"> is not what the program made`);
        element.remove();
      }
      left.clear();
      stage.removeAttribute("data-prebuilt");
      stage.removeAttribute("data-prebuilt-order");
      if (window.pelindraEarly) window.pelindraEarly.ready(press);
    });

    return {
      make(tag, className) {
        const element = left.size ? prebuilt[made] : undefined;
        made += 1;
        if (element && element.localName === tag && element.className === className) return take(element);
        // What the page holds from here on is not what this runtime makes: none of it is taken over.
        if (element) prebuilt.length = 0;
        return fresh(tag, className);
      },
    };
  },
};
