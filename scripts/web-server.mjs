// Serves a folder over HTTP on 127.0.0.1 as the web page of the intro needs it: with the two headers that
// give a page shared memory between its threads (cross-origin isolation), and .wasm as application/wasm.
//   node scripts/web-server.mjs FOLDER [PORT]   (port 0: any free one; the address is printed)
import { createReadStream, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { pathToFileURL } from 'node:url';

const contentTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.txt': 'text/plain; charset=utf-8',
};

// The file a request names inside `root`, or null when it names none (or something outside `root`).
function fileOf(root, url) {
  let path;
  try {
    path = decodeURIComponent(new URL(url, 'http://localhost').pathname);
  } catch {
    return null;
  }
  if (path.endsWith('/')) path += 'index.html';
  const file = normalize(join(root, path));
  if (file !== root && !file.startsWith(root + sep)) return null;
  try {
    return statSync(file).isFile() ? file : null;
  } catch {
    return null;
  }
}

// Starts serving `folder`; resolves to the server once it listens (server.address().port).
export function serveFolder(folder, port = 0) {
  const root = resolve(folder);
  const server = createServer((request, response) => {
    const file = fileOf(root, request.url);
    response.setHeader('Cross-Origin-Opener-Policy', 'same-origin');
    response.setHeader('Cross-Origin-Embedder-Policy', 'require-corp');
    if (!file || (request.method !== 'GET' && request.method !== 'HEAD')) {
      response.writeHead(file ? 405 : 404, { 'Content-Type': 'text/plain' });
      response.end(file ? 'method not allowed\n' : 'not found\n');
      return;
    }
    response.writeHead(200, {
      'Content-Type': contentTypes[extname(file)] || 'application/octet-stream',
      'Content-Length': statSync(file).size,
      'Cache-Control': 'no-cache',
    });
    if (request.method === 'HEAD') response.end();
    else createReadStream(file).pipe(response);
  });
  return new Promise((done, failed) => {
    server.once('error', failed);
    server.listen(port, '127.0.0.1', () => done(server));
  });
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const [folder, port] = process.argv.slice(2);
  const usage = 'usage: node scripts/web-server.mjs FOLDER [PORT]';
  if (folder === '-h' || folder === '--help') {
    console.log(usage);
    process.exit(0);
  }
  if (!folder || process.argv.length > 4) {
    console.error(usage);
    process.exit(2);
  }
  const server = await serveFolder(folder, Number(port || 0));
  console.log(`serving ${resolve(folder)} at http://127.0.0.1:${server.address().port}/ (Ctrl+C ends)`);
}
