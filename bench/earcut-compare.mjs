// Runs earcut over the outlines written by bench_triangulation and prints both
// results side by side. Arguments: earcut install folder, outlines.json, our result JSON.
import { createRequire } from 'node:module';
import { readFileSync } from 'node:fs';
import { pathToFileURL } from 'node:url';

const [prefix, outlinesFile, oursText] = process.argv.slice(2);
const entry = createRequire(prefix + '/').resolve('earcut');
const earcutModule = await import(pathToFileURL(entry).href);
const earcut = earcutModule.default ?? earcutModule;

const outlines = JSON.parse(readFileSync(outlinesFile, 'utf8'));
const ours = JSON.parse(oursText);
const flat = outlines.map((o) => Float64Array.from(o));
for (const o of flat.slice(0, 20)) earcut(o); // warm-up

let triangles = 0;
const start = process.hrtime.bigint();
for (const o of flat) triangles += earcut(o).length / 3;
const seconds = Number(process.hrtime.bigint() - start) / 1e9;

console.log(`outlines ${ours.outlines}, points ${ours.points}`);
console.log(`ours:   ${ours.seconds.toFixed(3)} s, ${ours.triangles} triangles`);
console.log(`earcut: ${seconds.toFixed(3)} s, ${triangles} triangles`);
console.log(`time ratio (ours / earcut): ${(ours.seconds / seconds).toFixed(2)}`);
console.log(`triangle ratio (ours / earcut): ${(ours.triangles / triangles).toFixed(4)}`);
