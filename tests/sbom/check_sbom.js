// Checks bills of materials as a security team's tools read them: each file
// valid against the CycloneDX schema of its version (the CycloneDX library's
// strict JSON validator, with the schemas it ships), and each hash it gives
// that of an installed file of the component's name (for a Maven artifact,
// <name>-<version>.jar). Prints a line a check, exits 1 on any failure.
// Usage: node check_sbom.js VALIDATOR_DIR FILES_DIR SBOM...
'use strict';
const crypto = require('crypto');
const fs = require('fs');
const path = require('path');

const [validatorDir, filesDir, ...sboms] = process.argv.slice(2);
const CDX = require(path.join(validatorDir, 'node_modules', '@cyclonedx', 'cyclonedx-library'));
let failed = false;
const ok = (what) => console.log(`ok: ${what}`);
const fail = (what) => { console.log(`FAIL: ${what}`); failed = true; };

// Every file below FILES_DIR by its name, with its SHA-256 and SHA-512.
const files = new Map();
(function walk(dir) {
  for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory()) {
      walk(full);
    } else if (entry.isFile()) {
      const bytes = fs.readFileSync(full);
      const sums = {
        'SHA-256': crypto.createHash('sha256').update(bytes).digest('hex'),
        'SHA-512': crypto.createHash('sha512').update(bytes).digest('hex'),
        path: full,
      };
      files.set(entry.name, [...(files.get(entry.name) || []), sums]);
    }
  }
})(filesDir);

async function check(sbom) {
  const text = fs.readFileSync(sbom, 'utf8');
  const bom = JSON.parse(text);
  const version = CDX.Spec.Version[`v${String(bom.specVersion).replace('.', 'dot')}`];
  if (version === undefined || !['1.5', '1.6'].includes(bom.specVersion)) {
    fail(`${sbom}: specVersion ${bom.specVersion}, not 1.5 or later`);
    return;
  }
  const error = await new CDX.Validation.JsonStrictValidator(version).validate(text);
  if (error === null) {
    ok(`${path.basename(sbom)} is valid CycloneDX ${bom.specVersion}`);
  } else {
    fail(`${sbom} is not valid CycloneDX ${bom.specVersion}: ${JSON.stringify(error)}`);
  }
  const components = [bom.metadata.component, ...(bom.components || [])];
  for (const component of components) {
    if (component.type !== 'platform' && !component.purl) {
      fail(`${sbom}: ${component['bom-ref']} has no purl`);
    }
    if (!component.hashes) {
      continue;
    }
    const name = component.group ? `${component.name}-${component.version}.jar` : component.name;
    const matching = (files.get(name) || []).filter(
      (file) => component.hashes.every((hash) => file[hash.alg] === hash.content));
    const algorithms = component.hashes.map((hash) => hash.alg).sort().join(', ');
    if (algorithms !== 'SHA-256, SHA-512') {
      fail(`${sbom}: ${component['bom-ref']} has hashes ${algorithms}, not SHA-256 and SHA-512`);
    } else if (matching.length === 0) {
      fail(`${sbom}: no installed ${name} has the hashes given for ${component['bom-ref']}`);
    } else {
      ok(`${path.basename(sbom)}: ${component['bom-ref']} is ${path.relative(filesDir, matching[0].path)}`);
    }
  }
}

(async () => {
  for (const sbom of sboms) {
    await check(sbom);
  }
  process.exit(failed ? 1 : 0);
})();
