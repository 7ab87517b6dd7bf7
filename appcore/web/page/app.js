// Orvanta3's web page: the live panel, the job editor and the settings, over /api/.
'use strict';

const state = { token: '', texts: {}, font: null, frame: null, job: null, screen: 0,
                dirty: false, catalogue: [], tag: null, transitions: [], previewing: false,
                previewTimer: 0 };
const $ = (id) => document.getElementById(id);

function text(key, fallback) { return state.texts[key] || fallback; }

function say(message) { $('message').textContent = message || ''; }

async function api(method, path, body) {
  const init = { method, headers: {}, credentials: 'same-origin' };
  if (method !== 'GET') init.headers['X-Orvanta3-Token'] = state.token;
  if (body !== undefined) {
    init.headers['Content-Type'] = 'application/json';
    init.body = JSON.stringify(body);
  }
  const response = await fetch(path, init);
  let answer = {};
  try { answer = await response.json(); } catch (e) { answer = {}; }
  if (!response.ok) {
    const error = new Error(answer.error || (response.status + ' ' + response.statusText));
    error.status = response.status;
    throw error;
  }
  return answer;
}

// ---- The panel as the virtual display draws it.
const kDot = 3, kGap = 1, kCharGap = 2, kBorder = 6;

// Display codes 1..8 are the eight user-defined characters (the panel's CGRAM 0..7).
function glyphOf(frame, code) {
  if (code >= 1 && code <= 8 && frame.glyphs && frame.glyphs[code - 1]) return frame.glyphs[code - 1];
  if (state.font && state.font.glyphs[code]) return state.font.glyphs[code];
  return null;
}

function drawPanel(canvas, frame) {
  const cols = frame.cols, rows = frame.rows;
  const w = state.font ? state.font.width : 5, h = state.font ? state.font.height : 8;
  const pitch = kDot + kGap;
  const cellW = w * pitch + kCharGap, cellH = h * pitch + kCharGap * 2;
  canvas.width = kBorder * 2 + cols * cellW;
  canvas.height = kBorder * 2 + rows * cellH;
  const g = canvas.getContext('2d');
  const colours = frame.colours || {};
  g.fillStyle = colours.background || '#6f8f00';
  g.fillRect(0, 0, canvas.width, canvas.height);
  for (let r = 0; r < rows; ++r) {
    const codes = (frame.codes && frame.codes[r]) || [];
    const line = (frame.text && frame.text[r]) || '';
    for (let c = 0; c < cols; ++c) {
      const code = codes.length > c ? codes[c] : (line.charCodeAt(c) || 32) & 255;
      const glyph = glyphOf(frame, code);
      const x0 = kBorder + c * cellW, y0 = kBorder + r * cellH;
      if (!glyph) {
        g.fillStyle = colours.dotOn || '#000';
        g.font = (h * pitch) + 'px monospace';
        g.textBaseline = 'top';
        g.fillText(line[c] || ' ', x0, y0);
        continue;
      }
      for (let y = 0; y < h; ++y)
        for (let x = 0; x < w; ++x) {
          const on = (glyph[y] >> (w - 1 - x)) & 1;
          g.fillStyle = on ? (colours.dotOn || '#000') : (colours.dotOff || '#5f7f00');
          g.fillRect(x0 + x * pitch, y0 + y * pitch, kDot, kDot);
        }
    }
  }
  canvas.dataset.glyphs = JSON.stringify(frame.glyphs || []);
  canvas.dataset.codes = JSON.stringify(frame.codes || []);
}

function showFrame(frame) {
  state.frame = frame;
  drawPanel($('lcd'), frame);
  // While the panel previews the edited screen, the page shows what the panel shows.
  if (state.previewing) drawPanel($('previewLcd'), frame);
  $('rows').textContent = (frame.text || []).join('\n');
  $('rows').dataset.frame = frame.frame;
  if (typeof frame.screen === 'number') {
    $('screenOf').textContent = (frame.screen + 1) + ' / ' + frame.screens;
    $('screenOf').dataset.screen = frame.screen;
  }
}

function watch() {
  const events = new EventSource('/api/events');
  events.addEventListener('frame', (e) => {
    try { showFrame(JSON.parse(e.data)); } catch (err) { /* a torn frame: the next one mends it */ }
  });
  events.addEventListener('job', () => { if (!state.dirty) loadJob(state.job && state.job.file); });
}

async function navigate(action, screen) {
  try { await api('POST', '/api/navigate', { action, screen }); } catch (e) { say(e.message); }
}

// ---- The job editor.
const kAligns = ['left', 'center', 'right'];
const kScrolls = ['to the left', 'to the right', 'back and forth'];

function markDirty() { state.dirty = true; }

function currentScreen() { return state.job.screens[state.screen]; }

function renderScreenTabs() {
  const tabs = $('screenTabs');
  tabs.replaceChildren();
  state.job.screens.forEach((screen, i) => {
    const b = document.createElement('button');
    b.type = 'button';
    b.setAttribute('role', 'tab');
    b.textContent = String(i + 1);
    b.setAttribute('aria-selected', i === state.screen ? 'true' : 'false');
    b.addEventListener('click', () => { state.screen = i; renderScreen(); });
    tabs.append(b);
  });
}

function renderScreen() {
  renderScreenTabs();
  const screen = currentScreen();
  const lines = $('lines');
  lines.replaceChildren();
  const rows = (state.frame && state.frame.rows) || screen.lines.length;
  while (screen.lines.length < rows) screen.lines.push({ text: '', align: 'left', scroll: 0 });
  // The panel's rows only; the job's further lines are kept as they are.
  screen.lines.slice(0, rows).forEach((line, i) => {
    const div = document.createElement('div');
    div.className = 'line';
    const input = document.createElement('input');
    input.type = 'text';
    input.className = 'lineText';
    input.value = line.text;
    input.setAttribute('aria-label', text('webLine', 'Line') + ' ' + (i + 1));
    input.addEventListener('input', () => { line.text = input.value; markDirty(); });
    input.addEventListener('focus', () => { state.caret = input; });
    const align = document.createElement('select');
    align.setAttribute('aria-label', text('webAlign', 'Alignment'));
    kAligns.forEach((a) => align.add(new Option(text('webAlign_' + a, a), a)));
    align.value = line.align || 'left';
    align.addEventListener('change', () => { line.align = align.value; markDirty(); });
    // A long line moves to the left, to the right, or back and forth (TLineScroll).
    const scroll = document.createElement('select');
    scroll.className = 'lineScroll';
    scroll.setAttribute('aria-label', text('webScroll', 'Scroll'));
    kScrolls.forEach((s, n) => scroll.add(new Option(text('webScroll_' + n, s), String(n))));
    scroll.value = String(line.scroll || 0);
    scroll.addEventListener('change', () => { line.scroll = Number(scroll.value); markDirty(); });
    div.append(input, align, scroll);
    lines.append(div);
  });
  $('showTime').value = screen.showTime;
  $('once').checked = !!screen.once;
  const transition = $('transition');
  transition.replaceChildren();
  state.transitions.forEach((name, i) => transition.add(new Option(name, String(i))));
  transition.value = String(screen.transition || 0);
  previewOnPage();
}

// Without a preview on the panel, the edited lines as they are laid out (tags unevaluated); with
// one, edits are sent to the panel again.
function previewOnPage() {
  if (!state.job || !state.frame) return;
  if (state.previewing) {
    window.clearTimeout(state.previewTimer);
    state.previewTimer = window.setTimeout(startPreview, 300);
    return;
  }
  const cols = state.frame.cols;
  const lines = currentScreen().lines.slice(0, state.frame.rows).map((l) => {
    const t = l.text.slice(0, cols);
    const pad = cols - t.length;
    if (l.align === 'right') return ' '.repeat(pad) + t;
    if (l.align === 'center') return ' '.repeat(pad >> 1) + t + ' '.repeat(pad - (pad >> 1));
    return t + ' '.repeat(pad);
  });
  drawPanel($('previewLcd'), { cols, rows: lines.length, colours: state.frame.colours,
                               text: lines, glyphs: state.frame.glyphs });
}

async function startPreview() {
  try {
    await api('POST', '/api/preview', { screen: currentScreen() });
    state.previewing = true;
  } catch (e) { state.previewing = false; say(e.message); }
}

async function loadJobs() {
  try {
    const jobs = await api('GET', '/api/jobs');
    const select = $('jobFile');
    select.replaceChildren();
    jobs.files.forEach((f) => select.add(new Option(f, f)));
    if (jobs.current) select.value = jobs.current;
  } catch (e) { say(e.message); }
}

async function loadJob(file) {
  try {
    const job = await api('GET', '/api/job' + (file ? '?file=' + encodeURIComponent(file) : ''));
    state.job = job;
    state.transitions = job.transitions || [];
    state.screen = Math.min(state.screen, Math.max(job.screens.length - 1, 0));
    state.dirty = false;
    if (job.screens.length) renderScreen();
    if (job.file) $('jobFile').value = job.file;
  } catch (e) { say(e.message); }
}

// The file read is named by its revision: a file changed elsewhere meanwhile is written over
// only when the user says so.
async function saveJob(overwrite) {
  if (!state.job) return;
  try {
    const body = overwrite === true ? Object.assign({}, state.job, { revision: '' }) : state.job;
    const saved = await api('PUT', '/api/job', body);
    state.job.revision = saved.revision;
    state.dirty = false;
    say(text('webSaved', 'Saved.'));
  } catch (e) {
    if (e.status === 409 && overwrite !== true &&
        window.confirm(text('webJobChanged', 'The job file has been changed elsewhere since it was opened. Save over it?')))
      return saveJob(true);
    say(e.message);
  }
}

// ---- Tags: the catalogue and the parameter editor.
// $name[argument,left,width,refresh,format]$: trailing empty items dropped, no brackets when
// all are empty.
function tagText(name, items) {
  const kept = items.map((v) => String(v ?? '').trim());
  while (kept.length && kept[kept.length - 1] === '') kept.pop();
  return '$' + name + (kept.length ? '[' + kept.join(',') + ']' : '') + '$';
}

function editedTag() {
  return tagText(state.tag.name, [$('tagArgument').value, $('tagLeft').value, $('tagWidth').value,
                                  $('tagRefresh').value, $('tagFormat').value]);
}

function chooseTag(tag) {
  state.tag = tag;
  $('tagName').textContent = '$' + tag.name + '$';
  $('tagHint').textContent = tag.hint || '';
  const choices = $('tagChoices');
  choices.replaceChildren();
  (tag.choices || []).forEach((c) => {
    const o = document.createElement('option');
    o.value = c.value;
    o.textContent = c.text;
    choices.append(o);
  });
  const m = /^\$[^[$]+(?:\[(.*)\])?\$$/.exec(tag.example || '');
  const items = m && m[1] !== undefined ? m[1].split(',') : [];
  ['tagArgument', 'tagLeft', 'tagWidth', 'tagRefresh', 'tagFormat']
    .forEach((id, i) => { $(id).value = items[i] || ''; });
  $('tagText').textContent = editedTag();
}

function insertAtCaret(value) {
  const input = state.caret || document.querySelector('.lineText');
  if (!input) return;
  const at = input.selectionStart ?? input.value.length;
  const end = input.selectionEnd ?? at;
  input.value = input.value.slice(0, at) + value + input.value.slice(end);
  input.setSelectionRange(at + value.length, at + value.length);
  input.dispatchEvent(new Event('input'));
  input.focus();
}

function renderCatalogue() {
  const tree = $('tagTree');
  tree.replaceChildren();
  state.catalogue.forEach((module) => {
    const item = document.createElement('li');
    const details = document.createElement('details');
    const summary = document.createElement('summary');
    summary.textContent = module.name;
    const list = document.createElement('ul');
    module.tags.forEach((tag) => {
      const li = document.createElement('li');
      const b = document.createElement('button');
      b.type = 'button';
      b.textContent = '$' + tag.name + '$ ' + (tag.caption || '');
      b.title = tag.hint || '';
      b.addEventListener('click', () => chooseTag(tag));
      b.addEventListener('dblclick', () => insertAtCaret(tag.example || '$' + tag.name + '$'));
      li.append(b);
      list.append(li);
    });
    details.append(summary, list);
    item.append(details);
    tree.append(item);
  });
}

// ---- Settings.
function settingField(setting) {
  const label = document.createElement('label');
  const caption = document.createElement('span');
  caption.textContent = setting.label || setting.key;
  let input;
  if (setting.type === 'choice') {
    input = document.createElement('select');
    (setting.choices || []).forEach((c, i) => input.add(new Option(String(c), String(i))));
    input.value = String(setting.value);
  } else {
    input = document.createElement('input');
    if (setting.type === 'bool') { input.type = 'checkbox'; input.checked = !!setting.value; }
    else if (setting.type === 'int') {
      input.type = 'number';
      if (setting.min !== undefined) input.min = setting.min;
      if (setting.max !== undefined) input.max = setting.max;
      input.value = setting.value;
    } else { input.value = setting.value ?? ''; }
  }
  input.name = setting.key;
  if (setting.hint) label.title = setting.hint;
  input.dataset.type = setting.type;
  label.append(caption, input);
  return label;
}

function switchField(kind, entry) {
  const label = document.createElement('label');
  const box = document.createElement('input');
  box.type = 'checkbox';
  box.checked = !!entry.active;
  box.dataset.kind = kind;
  box.dataset.file = entry.file;
  const caption = document.createElement('span');
  caption.textContent = (entry.caption || entry.file) + ' (' + entry.file + ')';
  label.append(caption, box);
  return label;
}

async function loadSettings() {
  try {
    const settings = await api('GET', '/api/settings');
    const legendOnly = (id) => { const f = $(id); f.replaceChildren(f.querySelector('legend')); return f; };
    const common = legendOnly('common'), modules = legendOnly('modules'), drivers = legendOnly('drivers');
    settings.common.forEach((s) => common.append(settingField(s)));
    settings.modules.forEach((m) => modules.append(switchField('modules', m)));
    settings.drivers.forEach((d) => drivers.append(switchField('drivers', d)));
    if (!settings.writable) say(text('webNotWritable', 'The settings file is not writable: changes cannot be saved.'));
  } catch (e) { say(e.message); }
}

async function saveSettings(event) {
  event.preventDefault();
  const body = { common: {}, modules: [], drivers: [] };
  document.querySelectorAll('#common [name]').forEach((input) => {
    const type = input.dataset.type;
    body.common[input.name] = type === 'bool' ? input.checked
      : type === 'int' && input.value === '' ? null
      : (type === 'int' || type === 'choice') ? Number(input.value) : input.value;
  });
  document.querySelectorAll('#settingsForm input[data-kind]').forEach((box) => {
    body[box.dataset.kind].push({ file: box.dataset.file, active: box.checked });
  });
  try {
    await api('PUT', '/api/settings', body);
    say(text('webSaved', 'Saved.'));
    loadCatalogue();
  } catch (e) { say(e.message); }
}

async function loadCatalogue() {
  try { state.catalogue = (await api('GET', '/api/catalogue')).modules || []; renderCatalogue(); }
  catch (e) { /* no catalogue: the editor still edits text */ }
}

// ---- Page.
function showView(name) {
  document.querySelectorAll('#tabs button').forEach((b) =>
    b.setAttribute('aria-selected', b.dataset.view === name ? 'true' : 'false'));
  document.querySelectorAll('.view').forEach((v) => { v.hidden = v.id !== 'view-' + name; });
  if (name === 'job' && !state.job) { loadJobs(); loadJob(); loadCatalogue(); }
  if (name === 'settings') loadSettings();
}

function applyTexts() {
  document.querySelectorAll('[data-text]').forEach((e) => {
    const t = state.texts[e.dataset.text];
    if (t) e.textContent = t;
  });
}

async function start() {
  try {
    const session = await api('GET', '/api/session');
    document.documentElement.lang = session.language || 'en';
    if (!session.loggedIn) { $('login').hidden = false; return; }
    state.token = session.token;
  } catch (e) { say(e.message); return; }
  $('login').hidden = true;
  try { state.texts = await api('GET', '/api/texts'); applyTexts(); } catch (e) { /* English */ }
  try { state.font = await api('GET', '/api/font'); } catch (e) { state.font = null; }
  try { showFrame(await api('GET', '/api/panel')); } catch (e) { say(e.message); }
  watch();
}

function wire() {
  document.querySelectorAll('#tabs button').forEach((b) =>
    b.addEventListener('click', () => showView(b.dataset.view)));
  $('login').addEventListener('submit', async (event) => {
    event.preventDefault();
    try { await api('POST', '/api/login', { password: $('password').value }); start(); }
    catch (e) { say(e.message); }
  });
  $('previous').addEventListener('click', () => navigate('previous'));
  $('next').addEventListener('click', () => navigate('next'));
  $('goto').addEventListener('click', () => navigate('goto', Math.max(0, Number($('screen').value) - 1)));
  document.querySelectorAll('.charset').forEach((b) => b.addEventListener('click', async () => {
    try { await api('POST', '/api/charset', { set: Number(b.dataset.set) }); } catch (e) { say(e.message); }
  }));
  $('open').addEventListener('click', () => {
    if (state.dirty && !window.confirm(text('webUnsaved', 'The job has unsaved changes. Discard them?'))) return;
    loadJob($('jobFile').value);
  });
  $('save').addEventListener('click', saveJob);
  $('preview').addEventListener('click', startPreview);
  $('endPreview').addEventListener('click', async () => {
    state.previewing = false;
    window.clearTimeout(state.previewTimer);
    try { await api('DELETE', '/api/preview'); } catch (e) { say(e.message); }
    previewOnPage();
  });
  $('showTime').addEventListener('input', () => { currentScreen().showTime = Number($('showTime').value); markDirty(); });
  $('once').addEventListener('change', () => { currentScreen().once = $('once').checked; markDirty(); });
  $('transition').addEventListener('change', () => { currentScreen().transition = Number($('transition').value); markDirty(); });
  $('lines').addEventListener('input', previewOnPage);
  $('lines').addEventListener('change', previewOnPage);
  ['tagArgument', 'tagLeft', 'tagWidth', 'tagRefresh', 'tagFormat'].forEach((id) =>
    $(id).addEventListener('input', () => { if (state.tag) $('tagText').textContent = editedTag(); }));
  $('tagEditor').addEventListener('submit', (event) => {
    event.preventDefault();
    if (state.tag) insertAtCaret(editedTag());
  });
  $('settingsForm').addEventListener('submit', saveSettings);
  window.addEventListener('beforeunload', (event) => {
    if (state.dirty) { event.preventDefault(); event.returnValue = ''; }
  });
  showView('panel');
}

wire();
start();
