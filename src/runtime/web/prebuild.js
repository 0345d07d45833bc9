// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The program started under node on just enough of a page for its start-up: the runtime builds its
// windows into a stand-in for the DOM, which is then written out as HTML for the site's page
// (make_site.py), so that the menu is drawn from this code and no copy of it. Anything the stand-in does
// not know how the browser would show stops the build, rather than letting the two differ.
//
// node pelindra_prebuild.js OUT.json OUT.js OUT.css writes {stamp, order, markup}, the stamp for adopt.js
// and the style rules that carry the look, for the site's stylesheet.

(() => {
  const made = []; // the runtime's elements, in the order it made them
  const raw = new WeakMap();
  const VOID = new Set(["img", "br", "input"]);
  const unknown = (what) => {
    throw new Error("the build's page does not know " + what + ": teach prebuild.js how the browser shows it");
  };

  const attribute = (name) => (e, v) => e.attrs.set(name, String(v));
  const flag = (name) => (e, v) => (v ? e.attrs.set(name, "") : e.attrs.delete(name));
  // Properties as the browser reflects them in attributes.
  const REFLECTED = {
    className: attribute("class"),
    id: attribute("id"),
    alt: attribute("alt"),
    src: attribute("src"),
    title: attribute("title"),
    role: attribute("role"),
    lang: attribute("lang"),
    hidden: flag("hidden"),
    inert: flag("inert"),
    draggable: (e, v) => e.attrs.set("draggable", v ? "true" : "false"),
    tabIndex: (e, v) => e.attrs.set("tabindex", String(Math.trunc(Number(v)))),
    textContent: (e, v) => {
      for (const child of e.children) if (typeof child !== "string") child.parent = null;
      e.children = String(v) === "" ? [] : [String(v)];
    },
  };
  const reflected = (property) =>
    REFLECTED[property] ||
    (/^aria[A-Z]/.test(property) ? attribute("aria-" + property.slice(4).toLowerCase()) : undefined);
  const kebab = (name) => name.replace(/[A-Z]/g, (c) => "-" + c.toLowerCase());

  function detach(e) {
    if (e.parent) e.parent.children = e.parent.children.filter((c) => c !== e);
    e.parent = null;
  }

  function element(tag, counted) {
    const e = { tag, attrs: new Map(), style: new Map(), children: [], parent: null };
    const style = new Proxy(
      {},
      {
        set(_, property, value) {
          if (property === "cssText") {
            e.style = new Map();
            for (const declaration of String(value).split(";")) {
              const colon = declaration.indexOf(":");
              if (colon > 0) e.style.set(declaration.slice(0, colon).trim(), declaration.slice(colon + 1).trim());
            }
          } else {
            e.style.set(kebab(String(property)), String(value));
          }
          return true;
        },
      }
    );
    const methods = {
      setAttribute: (name, value) => e.attrs.set(String(name).toLowerCase(), String(value)),
      removeAttribute: (name) => e.attrs.delete(String(name).toLowerCase()),
      appendChild(child) {
        const c = raw.get(child);
        detach(c);
        c.parent = e;
        e.children.push(c);
        return child;
      },
      remove: () => detach(e),
      focus() {},
      addEventListener() {},
    };
    const proxy = new Proxy(methods, {
      get(target, property) {
        if (property === "style") return style;
        if (property === "parentNode") return e.parent && e.parent.proxy;
        if (typeof property !== "string" || property in target) return target[property];
        return unknown("<" + tag + ">." + property);
      },
      set(_, property, value) {
        (reflected(property) || (() => unknown("<" + tag + ">." + property + " = " + value)))(e, value);
        return true;
      },
    });
    e.proxy = proxy;
    raw.set(proxy, e);
    if (counted) made.push(e);
    return proxy;
  }

  const text = (s) => s.replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;")
    .replace(/\u00a0/g, "&nbsp;").replace(/\r/g, "&#13;");
  const quoted = (s) => s.replace(/&/g, "&amp;").replace(/"/g, "&quot;")
    .replace(/\u00a0/g, "&nbsp;").replace(/\r/g, "&#13;");

  function html(e) {
    const attrs = [...e.attrs];
    if (e.style.size) attrs.push(["style", [...e.style].map(([p, v]) => p + ":" + v).join(";")]);
    let s = "<" + e.tag + attrs.map(([n, v]) => (v === "" ? " " + n : " " + n + '="' + quoted(v) + '"')).join("");
    s += ">";
    if (VOID.has(e.tag)) return s;
    for (const child of e.children) s += typeof child === "string" ? text(child) : html(child);
    return s + "</" + e.tag + ">";
  }

  function descendants(e, out) {
    for (const child of e.children) {
      if (typeof child === "string") continue;
      out.push(child);
      descendants(child, out);
    }
    return out;
  }

  const stage = element("div", false);
  const listen = { addEventListener() {} };
  const memory = new Map();
  // Not before the runtime has seen that it runs under node.
  Module.preRun = [
    () => {
      globalThis.window = Object.assign(Object.create(listen), {
        localStorage: {
          getItem: (key) => (memory.has(key) ? memory.get(key) : null),
          setItem: (key, value) => memory.set(key, String(value)),
          removeItem: (key) => memory.delete(key),
        },
      });
      globalThis.document = Object.assign(Object.create(listen), { getElementById: (id) => id === "stage" && stage });
    },
  ];

  Module.pelindraElements = {
    maker: () => ({
      make(tag, className) {
        const e = element(tag, true);
        e.className = className;
        return e;
      },
    }),
  };
  // The page's side, where start-up touches it: a start-up that needs more than this (a timer, a
  // warning, an exit) is not one a page can be drawn from.
  const refuse = (what) => () => unknown(what + " at start-up");
  Module.pelindra = {
    attach() {},
    window() {},
    clickable() {},
    closer() {},
    focus() {},
    reveal() {},
    startTimer: refuse("a timer"),
    stopTimer() {},
    warn: (line) => unknown("the warning '" + line + "'"),
    exited: refuse("an exit"),
  };

  Module.postRun = [
    () => {
      const root = raw.get(stage);
      const markup = root.children.map((c) => (typeof c === "string" ? text(c) : html(c))).join("");
      const order = descendants(root, []).map((e) => made.indexOf(e)).join(" ");
      const stamp = require("crypto").createHash("sha256").update(markup + "\n" + order).digest("hex").slice(0, 16);
      const fs = require("fs");
      fs.writeFileSync(process.argv[2], JSON.stringify({ stamp, order, markup }) + "\n");
      fs.writeFileSync(process.argv[3], "Module.pelindraMenuStamp = " + JSON.stringify(stamp) + ";\n");
      fs.writeFileSync(process.argv[4], Module.pelindraLookStyle());
    },
  ];
})();
