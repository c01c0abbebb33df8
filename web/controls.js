// The page's pointer over the canvas and its touch controls. The pointer reaches the game as
// the mouse messages a desktop window gets; the touch controls as a pad's buttons, which the
// game turns into the same key presses as the keyboard's.
'use strict';
(function () {
  const root = document.documentElement;
  const game = document.getElementById('game');
  const canvas = document.getElementById('canvas');
  const fullScreen = document.getElementById('full-screen');
  // The game hands the page its input's handle while it runs, and 0 once it has ended.
  const running = () => window.fennwick && window.fennwick.state === 'running' && window.Module && Module.playerInput;

  // --- The pointer ---
  // Only the primary pointer, as a desktop has one mouse. Once it has been over the canvas the
  // game follows it anywhere on the page, the way a window holding the capture does; a move off
  // the canvas with no button held is how the game learns it has left.
  function pointer(event) {
    if (!event.isPrimary || !running()) return;
    const box = canvas.getBoundingClientRect();
    Module._fennwick_pointer(Module.playerInput, event.button, event.buttons, event.clientX - box.left, event.clientY - box.top,
                             box.width, box.height);
  }
  canvas.addEventListener('pointerdown', pointer);
  window.addEventListener('pointermove', pointer);
  window.addEventListener('pointerup', pointer);
  // Leaving the browser's window altogether sends no move: the last point, at its edge, stands in.
  window.addEventListener('pointerout', (event) => {
    if (!event.relatedTarget) pointer(event);
  });

  // --- Touch controls ---
  // The page starts in touch mode on a touch screen (its head says so before the first paint),
  // or at the first touch anywhere, and stays in it: a tablet with a keyboard attached still has
  // its screen.
  const touchMode = () => root.classList.add('touch');
  window.matchMedia('(pointer: coarse)').addEventListener('change', (event) => { if (event.matches) touchMode(); });
  window.addEventListener('touchstart', touchMode, { capture: true, passive: true });

  const bits = { left: 1, right: 2, jump: 4, quit: 8, rewind: 16 };
  const holdable = Array.from(game.querySelectorAll('[data-hold]'));
  let sent = 0;

  // What every finger that started in the game area is on now. A finger counts for the control
  // under it wherever it started, so sliding from Left to Right turns the figure as a D-pad does,
  // and sliding off every control lets go.
  function held(touches) {
    let bitsHeld = 0;
    for (const touch of touches) {
      if (!game.contains(touch.target)) continue;
      const under = document.elementFromPoint(touch.clientX, touch.clientY);
      const control = under && under.closest('[data-hold]');
      if (control && game.contains(control)) bitsHeld |= bits[control.dataset.hold];
    }
    return bitsHeld;
  }

  function touched(event) {
    const now = held(event.touches);
    for (const control of holdable) control.classList.toggle('held', (now & bits[control.dataset.hold]) !== 0);
    // Keys and pads are listened to only while the canvas has the focus; a finger on a control
    // means the player is playing.
    if (now && document.activeElement !== canvas) canvas.focus({ preventScroll: true });
    if (now !== sent && running()) {
      sent = now;
      const holds = (name) => ((now & bits[name]) !== 0 ? 1 : 0);
      Module._fennwick_touch(Module.playerInput, holds('left'), holds('right'), holds('jump'), holds('quit'), holds('rewind'));
    }
    // The game area neither scrolls nor zooms (its touch-action says so); on the picture and the
    // held controls a touch also makes up no mouse clicks. The full-screen button and the
    // page's messages over the picture (Start again) keep their clicks.
    const target = event.target;
    if (event.cancelable && (target === canvas || (target.closest && target.closest('[data-hold]')))) event.preventDefault();
  }
  for (const type of ['touchstart', 'touchmove', 'touchend', 'touchcancel']) game.addEventListener(type, touched, { passive: false });
  game.addEventListener('contextmenu', (event) => event.preventDefault());

  // The game and its controls go to full screen together: the canvas alone would hide them.
  const request = game.requestFullscreen || game.webkitRequestFullscreen;
  if (!document.fullscreenEnabled && !document.webkitFullscreenEnabled) fullScreen.hidden = true;
  fullScreen.addEventListener('click', () => {
    if (document.fullscreenElement) document.exitFullscreen();
    else if (request) Promise.resolve(request.call(game, { navigationUI: 'hide' })).catch(() => {});
    canvas.focus({ preventScroll: true });
  });
})();
