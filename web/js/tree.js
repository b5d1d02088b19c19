// The node tree: nodes with their surfaces, cameras and lights, one row
// each, indented by depth (flat rows keep a tree of many thousand nodes
// quick to lay out). Clicking a row selects it; select() marks the row of
// something picked elsewhere.

// The whole row is the target of a click, not only its text.
function row(depth, kind, label, title, data) {
  const line = document.createElement('div');
  line.className = `row tree-${kind}`;
  line.style.paddingLeft = `${depth * 14 + 3}px`;
  Object.assign(line.dataset, data);
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
    const rows = [];
    const stack = root ? [[root, 0]] : [];
    while (stack.length) {
      const [node, depth] = stack.pop();
      const line = row(depth, 'node', node.name || '(unnamed)', `#${node.id}`, { kind: 'node', id: node.id, node: node.id });
      this.spans.set(node.id, line);
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
    container.replaceChildren(...rows);
    container.addEventListener('click', (event) => {
      const span = event.target.closest('[data-kind]');
      if (span) onSelect(span.dataset.kind, Number(span.dataset.id), Number(span.dataset.node));
    });
  }

  select(kind, id, nodeId) {
    this.container.querySelector('.selected')?.classList.remove('selected');
    const span = kind === 'node' ? this.spans.get(nodeId)
      : this.container.querySelector(`[data-kind="${kind}"][data-id="${id}"][data-node="${nodeId}"]`);
    span?.classList.add('selected');
    span?.scrollIntoView({ block: 'nearest' });
  }
}
