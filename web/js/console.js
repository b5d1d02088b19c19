// The query console: any query by name, its inputs labelled as the channel
// labels them, and the answer exactly as `sci` prints it, or as `sci --json`
// does with the JSON box ticked.
import { getJson, queryText } from './api.js';

export async function setUpConsole(form) {
  const select = form.querySelector('#console-query');
  const inputs = form.querySelector('#console-inputs');
  const output = form.querySelector('#console-output');
  const json = form.querySelector('#console-json');
  const queries = await getJson('/api/queries');
  for (const query of queries) {
    const option = new Option(`${query.info_type} ${query.query}`, query.query);
    option.title = query.inputs.map((i) => i.label).join(', ');
    select.append(option);
  }
  const showInputs = () => {
    const query = queries.find((q) => q.query === select.value);
    inputs.replaceChildren(...query.inputs.map((input) => {
      const field = document.createElement('input');
      field.placeholder = input.label;
      field.title = input.label;
      field.setAttribute('aria-label', input.label);
      if (input.kind === 'Value') field.inputMode = 'decimal';
      return field;
    }));
  };
  select.addEventListener('change', showInputs);
  showInputs();
  form.addEventListener('submit', async (event) => {
    event.preventDefault();
    const values = [...inputs.querySelectorAll('input')].map((field) => field.value);
    try {
      output.textContent = await queryText(select.value, values, json.checked ? 'json' : 'text');
      output.classList.remove('messages');
    } catch (error) {
      output.textContent = error.message;
      output.classList.add('messages');
    }
  });
}
