// Rewrites the game's script smaller, in place: the build runs it after every link.
//
//   node shrink_script.js fennwick.js
//
// Every name of the script's own is shortened; the page reaches the game only through the
// global Module and properties named by strings, which are left as they are.
'use strict';

const fs = require('fs');
const { minify } = require('terser');

const file = process.argv[2];
(async () => {
  const result = await minify(fs.readFileSync(file, 'utf8'), {
    toplevel: true,
    mangle: { reserved: ['Module'] },
    compress: { passes: 2 },
  });
  if (!result.code) throw new Error('terser returned nothing');
  fs.writeFileSync(file, result.code);
})().catch((error) => {
  console.error(`shrink_script.js: ${file}: ${error.message || error}`);
  process.exit(1);
});
