// The node tree: nodes with their surfaces, cameras and lights. Clicking an
// entry selects it; select() marks the entry of a node picked elsewhere.

function entry(kind, label, title, data) {
  const item = document.createElement('li');
  const span = document.createElement('span');
  span.className = `tree-${kind}`;
  Object.assign(span.dataset, data);
  const tag = document.createElement('span');
  tag.className = 'kind';
  tag.textContent = title;
  span.append(tag, label);
  item.append(span);
  return item;
}

export class Tree {
  constructor(container, root, onSelect) {
    this.container = container;
    this.spans = new Map();
    const top = document.createElement('ul');
    const stack = root ? [[root, top]] : [];
    while (stack.length) {
      const [node, list] = stack.pop();
      const item = entry('node', node.name || '(unnamed)', `#${node.id}`, { kind: 'node', id: node.id, node: node.id });
      this.spans.set(node.id, item.firstChild);
      const children = document.createElement('ul');
      for (const surface of node.surfaces)
        children.append(entry('surface', `geometry ${surface.geometry}, material ${surface.material}`,
          `surface ${surface.id}`, { kind: 'surface', id: surface.id, node: node.id }));
      for (const camera of node.cameras)
        children.append(entry('camera', camera.name, `camera ${camera.id}`, { kind: 'camera', id: camera.id, node: node.id }));
      for (const light of node.lights)
        children.append(entry('light', light.name, `${light.type} light ${light.id}`,
          { kind: 'light', id: light.id, node: node.id }));
      item.append(children);
      list.append(item);
      for (let i = node.children.length - 1; i >= 0; --i) stack.push([node.children[i], children]);
    }
    // Children were pushed in reverse, so each list was filled in order.
    container.replaceChildren(top);
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
