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

// The answer to one query, as the text `sci --json` prints, or with
// `format` 'text' as the text `sci` prints for a person.
export async function queryText(name, inputs, format = 'json') {
  const body = JSON.stringify({ name, inputs, format });
  return (await call('/api/query', { method: 'POST', body })).text();
}

// Answers to many queries, [[name, ...inputs], ...], in one round trip.
export async function batch(requests) {
  const body = JSON.stringify(requests.map(([name, ...inputs]) => ({ name, inputs })));
  return (await call('/api/batch', { method: 'POST', body })).json();
}

// The first output of a query's answer.
export const firstOutput = (answer) => Object.values(answer.outputs)[0];

// Geometries `first` to `first + count - 1` as typed arrays over the bytes
// the server sends: each a header of seven 32-bit words, then its arrays.
export async function geometries(first, count) {
  const buffer = await (await call(`/api/geometries?first=${first}&count=${count}`)).arrayBuffer();
  const result = [];
  let offset = 0;
  const floats = (n) => {
    const array = new Float32Array(buffer, offset, n);
    offset += n * 4;
    return array;
  };
  while (offset < buffer.byteLength) {
    const [magic, version, primitiveType, vertices, uvSets, indexCount] = new Uint32Array(buffer, offset, 7);
    if (magic !== 0x47494353 || version !== 1) throw new Error(`geometry ${first + result.length}: not a geometry`);
    offset += 28;
    const positions = floats(vertices * 3);
    const normals = floats(vertices * 3);
    const uvs = Array.from({ length: uvSets }, () => floats(vertices * 2));
    const indices = new Uint32Array(buffer, offset, indexCount);
    offset += indexCount * 4;
    result.push({ primitiveType, positions, normals, uvs, indices });
  }
  return result;
}

export const textureUrl = (id) => `/api/texture/${id}?token=${encodeURIComponent(token)}`;
