// sci --view: the time from starting the server to the first complete frame
// in headless Chromium (software WebGL), beside the time of the import alone
// (sci SCENE node-count), and the rate at which the page receives the
// scene's geometry from the binary API (wall time) and the server's CPU
// time to send it.
//   node bench/view_first_frame.mjs BUILD_DIR SCENE... [--runs N]
// Prints a Markdown table; each figure is the median of N runs (default 3).
import { spawn, spawnSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { resolve } from 'node:path';
import { performance } from 'node:perf_hooks';

const args = process.argv.slice(2);
const runsAt = args.indexOf('--runs');
const runs = runsAt >= 0 ? Number(args.splice(runsAt, 2)[1]) : 3;
const [build, ...scenes] = args;
const sci = resolve(build, 'bin/sci');
const puppeteer = createRequire(resolve(build, 'browser-npm/node_modules/package.json'))('puppeteer-core');
const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];

function importSeconds(scene) {
  const start = performance.now();
  const run = spawnSync(sci, [scene, 'node-count'], { stdio: 'ignore' });
  if (run.status !== 0) throw new Error(`sci ${scene} node-count exited with ${run.status}`);
  return (performance.now() - start) / 1000;
}

// Starts sci --view and resolves with the server and its address.
function serve(scene) {
  const server = spawn(sci, ['--view', '--no-browser', '--port', '0', scene], { stdio: ['ignore', 'pipe', 'ignore'] });
  return new Promise((done, fail) => {
    let out = '';
    server.stdout.on('data', (chunk) => {
      out += chunk;
      if (out.includes('\n')) done({ server, url: out.split('\n')[0] });
    });
    server.on('exit', (code) => fail(new Error(`sci --view exited with ${code}`)));
  });
}

const ticksPerSecond = Number(spawnSync('getconf', ['CLK_TCK'], { encoding: 'utf8' }).stdout) || 100;
const cpuTicks = (pid) => readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ').slice(11, 13)
  .reduce((sum, ticks) => sum + Number(ticks), 0);

// The server's CPU seconds (user + system) to send every geometry again, as
// the page asks for them: 64 a request, six requests at a time.
async function serverCpuSeconds(pid, url) {
  const { origin, searchParams } = new URL(url);
  const headers = { Authorization: `Bearer ${searchParams.get('token')}` };
  const { counts } = await (await fetch(`${origin}/api/summary`, { headers })).json();
  const firsts = Array.from({ length: Math.ceil(counts.geometries / 64) }, (_, i) => i * 64);
  const before = cpuTicks(pid);
  const fetchSome = async () => {
    for (let first = firsts.shift(); first !== undefined; first = firsts.shift())
      await (await fetch(`${origin}/api/geometries?first=${first}&count=${Math.min(64, counts.geometries - first)}`,
        { headers })).arrayBuffer();
  };
  await Promise.all(Array.from({ length: 6 }, fetchSome));
  return Math.max(cpuTicks(pid) - before, 1) / ticksPerSecond;
}

// Seconds from starting sci --view to the page's first complete frame, and
// the geometry transfer in MB/s.
async function firstFrame(browser, scene) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1200, height: 800 });
  let frameDone;
  const framed = new Promise((r) => { frameDone = r; });
  await page.exposeFunction('sciFirstFrame', () => frameDone(performance.now()));
  const start = performance.now();
  const { server, url } = await serve(scene);
  try {
    await page.goto(url);
    const seconds = ((await framed) - start) / 1000;
    // The geometry as the page received it: bytes over the span from the
    // first request's start to the last reply's end.
    const { bytes, span } = await page.evaluate(() => {
      const entries = performance.getEntriesByType('resource').filter((e) => e.name.includes('/api/geometries'));
      return {
        bytes: entries.reduce((sum, e) => sum + e.encodedBodySize, 0),
        span: Math.max(...entries.map((e) => e.responseEnd)) - Math.min(...entries.map((e) => e.startTime)),
      };
    });
    const rate = bytes / 1e6 / (span / 1000);
    const cpuRate = bytes / 1e6 / await serverCpuSeconds(server.pid, url);
    return { seconds, rate, cpuRate, bytes };
  } finally {
    server.kill('SIGINT');
    await page.close();
  }
}

const browser = await puppeteer.launch({
  executablePath: '/usr/lib/chromium/chromium',
  headless: true,
  args: ['--no-sandbox', '--enable-unsafe-swiftshader', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--no-first-run', '--no-default-browser-check'],
});
console.log('| scene | import alone (s) | start to first frame (s) | geometry sent | received by the page (MB/s, wall) | sent by the server (MB/s of its CPU time) |');
console.log('|---|---|---|---|---|---|');
try {
  for (const scene of scenes) {
    const imports = [], frames = [], rates = [], cpuRates = [];
    let bytes = 0;
    for (let run = 0; run < runs; ++run) {
      imports.push(importSeconds(scene));
      const result = await firstFrame(browser, scene);
      frames.push(result.seconds);
      rates.push(result.rate);
      cpuRates.push(result.cpuRate);
      bytes = result.bytes;
    }
    console.log(`| ${scene.split('/').pop()} | ${median(imports).toFixed(2)} | ${median(frames).toFixed(2)} | ` +
      `${(bytes / 1e6).toFixed(3)} MB | ${median(rates).toFixed(0)} | ${median(cpuRates).toFixed(0)} |`);
  }
} finally {
  await browser.close();
}
