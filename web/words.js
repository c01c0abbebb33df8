// Every sentence the page says to a player, worded here and nowhere else, so that the page
// speaks in one voice, as the game's own messages do. The other scripts of the page take their
// words from window.FennwickWords; Node takes them with require() (share.js under the tests).
// The page loads this file first.
'use strict';
(function (root) {
  const count = (n) => n.toLocaleString('en');
  const words = {
    // --- Loading and starting (loader.js) ---
    loading: 'Loading Fennwick…',
    loadingWith: (status) => `Loading Fennwick… ${status}`,
    filesUnreachable: "Fennwick's files could not be loaded. Check the connection, then reload the page.",
    noWebAssembly: 'This browser cannot run WebAssembly, which Fennwick needs. Try a current version of ' +
                   'Chrome, Firefox, Safari or Edge, with WebAssembly enabled.',
    stopped: (what) => `Fennwick stopped: ${what}`,
    couldNotStart: (detail) => `Fennwick could not start: ${detail}`,
    couldNotLoad: (what) => `Fennwick could not be loaded: ${what}`,
    unknownError: 'unknown error',
    demoNotLoaded: (url, why) => `The demo ${url} could not be loaded (${why}).`,
    runUnreadable: (why) => `The run in this link cannot be read: ${why}.`,
    notARun: (why) => `it is not a Fennwick run (${why})`,
    runEnded: 'The run has ended.',
    demoEnded: 'The demo has ended.',
    gameEnded: 'The game has ended.',
    gameEndedWith: (note) => (note ? `The game has ended. ${note}` : 'The game has ended.'),

    // --- The buttons of the end screen (loader.js, share.js) ---
    reload: 'Reload',
    play: 'Play',
    watchAgain: 'Watch it again',
    startAgain: 'Start again',
    download: 'Download the recording',
    linkToRun: 'Link to this run',
    copy: 'Copy',
    copied: 'Copied',
    copyByHand: 'Copy it from the link',

    // --- A run in a link (share.js): why it cannot be played, and why none can be made ---
    notBase64: 'it is not base64 text',
    damaged: 'it is cut short or damaged',
    cannotUnpack: 'this browser cannot unpack it',
    unpacksTooLarge: (megabytes) => `it unpacks to more than ${megabytes} MB, far more than any run`,
    noRunInLink: 'the link holds no run',
    newerVersion: 'it was made by a newer version of Fennwick',
    cannotMakeLink: (why) => `This browser cannot make a link to the run (${why}): download the recording to share it.`,
    linkTooLong: (length, longest) => `This run is too long for a link (${count(length)} characters, ` +
                                      `at most ${count(longest)} travel safely): download the recording to share it.`,

    // --- The settings panel (settings.js) ---
    keysOnceLoaded: 'The keys can be chosen once the game has loaded.',
    settingsNotKept: 'This browser does not let the page keep settings: these last until the page is closed.',
    standardBack: 'The standard settings are back.',
    keyOf: (job, name) => `${job}: ${name}`,
    pressKey: (job) => `${job}: press the key you want`,

    // --- The demo viewer's bar (viewer.js) ---
    linkToMoment: 'Link to this moment',
    linkCopied: 'Link copied',
    linkInAddressBar: 'Link in the address bar',
    speed: (name) => `Speed ${name}`,
    playing: 'Pause',
    paused: 'Play',
    timeOf: (at, length) => `${at} of ${length}`,
    // A demo taken over, or a rewind let go of: live from that moment; and a rewind held.
    liveFrom: (at) => (at ? `Live from ${at}` : 'Live'),
    rewinding: (at) => `Rewinding ${at}`,
  };
  if (typeof module === 'object' && module.exports) module.exports = words;
  else root.FennwickWords = words;
})(typeof window !== 'undefined' ? window : globalThis);
