// The node tree: nodes with their surfaces, cameras and lights, one row
// each, indented by depth (flat rows keep a tree of many thousand nodes
// quick to lay out). Clicking a row selects it; select() marks the row of
// something picked elsewhere. A node's toggle folds its rows away; the
// search box keeps the nodes whose name holds the text, with their
// ancestors; arrow keys move the selection, Left and Right fold and unfold.

// The whole row is the target of a click, not only its text.
function row(depth, kind, label, title, data) {
  const line = document.createElement('div');
  line.className = `row tree-${kind}`;
  line.style.paddingLeft = `${depth * 14 + 3}px`;
  Object.assign(line.dataset, data, { depth });
  const tag = document.createElement('span');
  tag.className = 'kind';
  tag.textContent = title;
  line.append(tag, label);
  return line;
}

export class Tree {
  constructor(container, root, onSelect) {
    this.container = container;
    this.spans = new Map();
    this.parents = new Map();
    this.names = new Map();
    this.collapsed = new Set();
    this.query = '';
    const rows = [];
    const stack = root ? [[root, 0]] : [];
    while (stack.length) {
      const [node, depth] = stack.pop();
      const line = row(depth, 'node', node.name || '(unnamed)', `#${node.id}`, { kind: 'node', id: node.id, node: node.id });
      if (node.children.length) {
        const toggle = document.createElement('span');
        toggle.className = 'toggle';
        toggle.textContent = '▾';
        line.prepend(toggle);
      }
      this.spans.set(node.id, line);
      this.names.set(node.id, (node.name ?? '').toLowerCase());
      for (const child of node.children) this.parents.set(child.id, node.id);
      rows.push(line);
      for (const surface of node.surfaces)
        rows.push(row(depth + 1, 'surface', `geometry ${surface.geometry}, material ${surface.material}`,
          `surface ${surface.id}`, { kind: 'surface', id: surface.id, node: node.id }));
      for (const camera of node.cameras)
        rows.push(row(depth + 1, 'camera', camera.name, `camera ${camera.id}`, { kind: 'camera', id: camera.id, node: node.id }));
      for (const light of node.lights)
        rows.push(row(depth + 1, 'light', light.name, `${light.type} light ${light.id}`,
          { kind: 'light', id: light.id, node: node.id }));
      for (let i = node.children.length - 1; i >= 0; --i) stack.push([node.children[i], depth + 1]);
    }
    this.rows = rows;
    this.onSelect = onSelect;
    this.search = document.createElement('input');
    this.search.type = 'search';
    this.search.className = 'search';
    this.search.placeholder = 'Find a node by name';
    this.search.addEventListener('input', () => {
      this.query = this.search.value.trim().toLowerCase();
      this.refresh();
    });
    container.replaceChildren(this.search, ...rows);
    container.tabIndex = 0;
    container.addEventListener('click', (event) => {
      const span = event.target.closest('[data-kind]');
      if (!span) return;
      if (event.target.classList.contains('toggle')) this.fold(Number(span.dataset.id));
      else this.choose(span);
    });
    container.addEventListener('keydown', (event) => this.key(event));
  }

  choose(line) {
    this.onSelect(line.dataset.kind, Number(line.dataset.id), Number(line.dataset.node));
  }

  // Folds the rows under node `id` away, or back.
  fold(id, folded = !this.collapsed.has(id)) {
    if (folded) this.collapsed.add(id);
    else this.collapsed.delete(id);
    const toggle = this.spans.get(id)?.querySelector('.toggle');
    if (toggle) toggle.textContent = folded ? '▸' : '▾';
    this.refresh();
  }

  // Shows the rows neither folded away nor left out by the search.
  refresh() {
    let matching = null;
    if (this.query) {
      matching = new Set();
      for (const [id, name] of this.names)
        if (name.includes(this.query))
          for (let n = id; n !== undefined && !matching.has(n); n = this.parents.get(n)) matching.add(n);
    }
    let foldedAt = Infinity;
    for (const line of this.rows) {
      const depth = Number(line.dataset.depth);
      if (depth <= foldedAt) foldedAt = Infinity;
      line.hidden = depth > foldedAt || (matching !== null && !matching.has(Number(line.dataset.node)));
      if (!line.hidden && line.dataset.kind === 'node' && this.collapsed.has(Number(line.dataset.id))) foldedAt = depth;
    }
  }

  key(event) {
    if (event.target === this.search && event.key !== 'ArrowDown') return;
    const visible = this.rows.filter((line) => !line.hidden);
    const current = visible.indexOf(this.container.querySelector('.row.selected'));
    const step = { ArrowDown: 1, ArrowUp: -1 }[event.key];
    if (step) {
      const next = visible[Math.min(Math.max(current + step, 0), visible.length - 1)];
      if (next) this.choose(next);
    } else if ((event.key === 'ArrowLeft' || event.key === 'ArrowRight') && current >= 0) {
      const line = visible[current];
      if (line.dataset.kind === 'node' && line.querySelector('.toggle')) this.fold(Number(line.dataset.id), event.key === 'ArrowLeft');
    } else {
      return;
    }
    event.preventDefault();
  }

  select(kind, id, nodeId) {
    this.container.querySelector('.selected')?.classList.remove('selected');
    const span = kind === 'node' ? this.spans.get(nodeId)
      : this.container.querySelector(`[data-kind="${kind}"][data-id="${id}"][data-node="${nodeId}"]`);
    span?.classList.add('selected');
    span?.scrollIntoView({ block: 'nearest' });
  }
}
