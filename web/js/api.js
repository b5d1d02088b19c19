// The server's API: every call carries the token of the page's address.

const token = new URLSearchParams(location.search).get('token') ?? '';
const headers = { Authorization: `Bearer ${token}` };

async function call(path, init = {}) {
  const response = await fetch(path, { ...init, headers: { ...headers, ...init.headers } });
  if (!response.ok) {
    const text = await response.text();
    let message = text;
    try { message = JSON.parse(text).error ?? text; } catch { /* not JSON: keep the text */ }
    throw new Error(`${path}: ${response.status} ${message}`);
  }
  return response;
}

export async function getJson(path) {
  return (await call(path)).json();
}

// The answer to one query, as the text `sci --json` prints.
export async function queryText(name, inputs) {
  const body = JSON.stringify({ name, inputs });
  return (await call('/api/query', { method: 'POST', body })).text();
}

// Answers to many queries, [[name, ...inputs], ...], in one round trip.
export async function batch(requests) {
  const body = JSON.stringify(requests.map(([name, ...inputs]) => ({ name, inputs })));
  return (await call('/api/batch', { method: 'POST', body })).json();
}

// The first output of a query's answer.
export const firstOutput = (answer) => Object.values(answer.outputs)[0];

// A geometry as typed arrays over the bytes the server sends.
export async function geometry(id) {
  const buffer = await (await call(`/api/geometry/${id}`)).arrayBuffer();
  const header = new Uint32Array(buffer, 0, 7);
  if (header[0] !== 0x47494353 || header[1] !== 1) throw new Error(`geometry ${id}: not a geometry`);
  const [, , primitiveType, vertices, uvSets, indexCount] = header;
  let offset = 28;
  const floats = (count) => {
    const array = new Float32Array(buffer, offset, count);
    offset += count * 4;
    return array;
  };
  const positions = floats(vertices * 3);
  const normals = floats(vertices * 3);
  const uvs = Array.from({ length: uvSets }, () => floats(vertices * 2));
  const indices = new Uint32Array(buffer, offset, indexCount);
  return { primitiveType, positions, normals, uvs, indices };
}

export const textureUrl = (id) => `/api/texture/${id}?token=${encodeURIComponent(token)}`;
