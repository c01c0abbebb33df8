// Rewrites a script of the site smaller: the build runs it after every link on the game's
// script, in place, and on the page's own scripts as it copies them into the site.
//
//   node shrink_script.js fennwick.js
//   node shrink_script.js --page SOURCE TARGET
//
// In the game's script every name of its own is shortened; the page reaches the game only
// through the global Module and properties named by strings, which are left as they are. The
// page's scripts share the window with each other and the page, so their top-level names stay.
'use strict';

const fs = require('fs');
const { minify } = require('terser');

const page = process.argv[2] === '--page';
const [source, target] = page ? process.argv.slice(3, 5) : [process.argv[2], process.argv[2]];
(async () => {
  if (!source || !target) throw new Error('usage: shrink_script.js FILE | --page SOURCE TARGET');
  const result = await minify(fs.readFileSync(source, 'utf8'), {
    toplevel: !page,
    mangle: page ? true : { reserved: ['Module'] },
    compress: { passes: 2 },
  });
  if (!result.code) throw new Error('terser returned nothing');
  fs.writeFileSync(target, result.code);
})().catch((error) => {
  console.error(`shrink_script.js: ${source}: ${error.message || error}`);
  process.exit(1);
});
