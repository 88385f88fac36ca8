#include "render/HtmlAssets.h"

namespace qrl {

// The stage keeps the flyer's aspect ratio inside the window above the bar; everything on it is
// placed in percent and sized in units of its width (cqw), so it scales as one picture.
const char* const kFlyerCss = R"css(html, body { margin: 0; height: 100%; background: #000; }
body { font-family: "Liberation Sans", sans-serif; color: #ddd; }
body.page { display: flex; flex-direction: column; overflow: hidden; }
.fit { flex: 1; min-height: 0; display: flex; align-items: center; justify-content: center; }
.stage { position: relative; container-type: inline-size; flex: none; overflow: hidden;
  width: min(100vw, calc((100vh - 28px) * var(--w) / var(--h))); aspect-ratio: var(--w) / var(--h); }
.stage > img { position: absolute; left: 0; top: 0; width: 100%; height: 100%; display: block;
  user-select: none; -webkit-user-drag: none; }
.text { position: absolute; overflow: hidden; box-sizing: border-box; }
.text .line { position: absolute; white-space: pre; color: transparent; }
.text .line::selection { background: rgba(40, 110, 255, 0.4); color: transparent; }
.scrolling { overflow-x: hidden; overflow-y: auto; }
.scrolling .line { position: static; color: inherit; overflow: hidden; }
.scrolling .line::selection { color: inherit; }
.framed { border: 1px solid #000; }
.area { position: absolute; display: block; cursor: pointer; -webkit-tap-highlight-color: transparent; }
.area.ellipse { border-radius: 50%; }
.area:focus-visible { outline: 2px solid #4af; outline-offset: -2px; }
.area.close { cursor: alias; }
.bar { flex: none; height: 28px; display: flex; align-items: center; justify-content: center; gap: 6px;
  background: #151515; font-size: 13px; }
.bar a, .bar button { color: #ddd; background: #2a2a2a; border: 1px solid #444; border-radius: 3px;
  padding: 2px 10px; font: inherit; text-decoration: none; cursor: pointer; }
.bar a[aria-disabled="true"] { opacity: 0.35; pointer-events: none; }
.bar .where { min-width: 5em; text-align: center; }
body.info { background: #f4f4f2; color: #222; }
.info main { max-width: 52em; margin: 0 auto; padding: 1.5em; }
.info dt { font-weight: bold; margin-top: 0.6em; }
.info dd { margin-left: 1.5em; white-space: pre-wrap; }
.info .note { background: #ffffa0; padding: 0.6em 1em; white-space: pre-wrap; }
.info ol { list-style: none; padding: 0; display: flex; flex-wrap: wrap; gap: 1em; }
.info ol img { display: block; width: 200px; border: 1px solid #999; }
)css";

// Sounds start after the reader's first click or key where the browser holds autoplay back.
// A click sound of an area that leaves the page is handed to the next page, which then plays it
// instead of its own sound, as the player does.
const char* const kFlyerJs = R"js((function () {
  "use strict";
  var body = document.body;
  var store = {
    get: function (k) { try { return window.localStorage.getItem(k); } catch (e) { return null; } },
    set: function (k, v) { try { window.localStorage.setItem(k, v); } catch (e) { } }
  };
  var handOver = {
    take: function () {
      try { var v = window.sessionStorage.getItem("quireleaf-sound");
        window.sessionStorage.removeItem("quireleaf-sound"); return v ? JSON.parse(v) : null; }
      catch (e) { return null; }
    },
    put: function (s) { try { window.sessionStorage.setItem("quireleaf-sound", JSON.stringify(s)); } catch (e) { } }
  };
  var muted = store.get("quireleaf-muted") === "1";
  var audio = null, waiting = null;

  // The page's sound state, for the bar and for assistive tools: "playing", "waiting" (for the
  // first click), "muted" or "none".
  function state(value) {
    body.dataset.soundState = value;
    var button = document.getElementById("mute");
    if (button) button.title = value === "waiting" ? "Sound starts with your first click" : "";
  }
  function play(sound) {
    if (audio) { audio.pause(); audio = null; }
    waiting = null;
    if (!sound || !sound.src) { state(muted ? "muted" : "none"); return; }
    if (muted) { state("muted"); return; }
    var playing = new Audio(sound.src);
    audio = playing;
    playing.loop = !!sound.loop;
    var p = playing.play();
    if (p && p.then) p.then(function () { if (audio === playing) state("playing"); },
                            function () { if (audio === playing) { waiting = sound; state("waiting"); } });
    else state("playing");
  }
  function soundOf(el) {
    return el && el.dataset.sound ? { src: el.dataset.sound, loop: el.dataset.loop === "1" } : null;
  }
  function retry() { if (waiting) play(waiting); }
  document.addEventListener("pointerdown", retry, true);
  document.addEventListener("keydown", retry, true);

  var muteButton = document.getElementById("mute");
  function showMute() {
    if (!muteButton) return;
    muteButton.setAttribute("aria-pressed", muted ? "true" : "false");
    muteButton.textContent = muted ? "Sound off" : "Sound on";
  }
  function toggleMute() {
    muted = !muted;
    store.set("quireleaf-muted", muted ? "1" : "0");
    if (muted) { if (audio) audio.pause(); audio = null; waiting = null; state("muted"); } else play(soundOf(body));
    showMute();
  }
  if (muteButton) muteButton.addEventListener("click", toggleMute);
  showMute();

  document.querySelectorAll(".area").forEach(function (a) {
    a.addEventListener("click", function (ev) {
      var sound = soundOf(a), action = a.dataset.action;
      if (action === "back") { ev.preventDefault(); history.back(); }
      else if (action === "forward") { ev.preventDefault(); history.forward(); }
      else if (action === "none") { ev.preventDefault(); }
      if (a.dataset.leaves === "1") { if (sound) handOver.put(sound); }
      else if (sound) play(sound);
    });
    a.addEventListener("keydown", function (ev) {
      if ((ev.key === "Enter" || ev.key === " ") && !a.hasAttribute("href")) { ev.preventDefault(); a.click(); }
    });
  });

  function go(id) { var link = document.getElementById(id); if (link && link.href) { window.location.href = link.href; } }
  document.addEventListener("keydown", function (ev) {
    if (ev.altKey || ev.ctrlKey || ev.metaKey) return;
    var t = ev.target;
    if (t && t.classList && t.classList.contains("scrolling")) return;
    switch (ev.key) {
      case "ArrowRight": case "PageDown": case " ": go("next"); break;
      case "ArrowLeft": case "PageUp": go("previous"); break;
      case "Home": go("first"); break;
      case "End": go("last"); break;
      case "m": case "M": toggleMute(); break;
      case "i": case "I": go("info"); break;
      default: return;
    }
    ev.preventDefault();
  });

  function arrive() { var arriving = handOver.take(); play(arriving ? arriving : soundOf(body)); }
  // A page the browser brings back from its cache runs no script again.
  window.addEventListener("pageshow", function (ev) { if (ev.persisted) arrive(); });
  arrive();
})();
)js";

}  // namespace qrl
