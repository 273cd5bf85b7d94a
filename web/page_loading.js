// Shared by the site's pages: the status line, and fetching the site's
// files side by side with their progress shown there.
'use strict';

const ZelvikLoading = (function () {
  // The status line is made of notes (the files still loading, the files
  // that could not be loaded, the program's messages), shown in that order.
  const notes = new Map();

  function render() {
    const status = document.getElementById('status');
    const shown = [...notes].sort(([a], [b]) => (b === 'progress') - (a === 'progress')).map(([, note]) => note);
    status.textContent = shown.map((note) => note.text).join(' · ');
    status.classList.toggle('failed', shown.some((note) => note.failed));
  }

  function note(key, text, failed) {
    if (text) notes.set(key, { text, failed: Boolean(failed) });
    else notes.delete(key);
    render();
  }

  // The status line as one text (the frame-hash page's own use).
  function show(text, failed) {
    notes.clear();
    note('text', text, failed);
  }

  // Bytes received and expected of every file being fetched, by name, from
  // the moment it is asked for. A server that compresses names the
  // compressed length, not the length of what the page reads: those files
  // count in KiB.
  const loading = new Map();
  let loadingSuffix = '';

  function renderProgress() {
    const parts = [];
    for (const [name, { received, total }] of loading) {
      if (total) parts.push(`${name} ${Math.min(100, Math.floor((received * 100) / total))} %`);
      else parts.push(received ? `${name} ${Math.round(received / 1024)} KiB` : name);
    }
    note('progress', parts.length ? `Loading ${parts.join(', ')}${loadingSuffix}` : '');
  }

  // Text after the progress while something still loads (the show's page
  // says there that Start waits for the files).
  function setProgressSuffix(text) {
    loadingSuffix = text ? ` ${text}` : '';
    renderProgress();
  }

  function started(name) {
    loading.set(name, { received: 0, total: 0 });
    renderProgress();
  }

  function ended(name) {
    loading.delete(name);
    renderProgress();
  }

  // The response's body as a stream that counts its bytes into the
  // progress, and takes the file out of it at its end. `failed` is called
  // with the error when the transfer breaks off.
  function counted(name, response, failed = () => {}) {
    const encoded = response.headers.get('Content-Encoding');
    const entry = { received: 0, total: encoded && encoded !== 'identity' ? 0 : Number(response.headers.get('Content-Length')) || 0 };
    loading.set(name, entry);
    renderProgress();
    const reader = response.body.getReader();
    return new ReadableStream({
      async pull(controller) {
        try {
          const { done, value } = await reader.read();
          if (done) {
            ended(name);
            controller.close();
            return;
          }
          entry.received += value.length;
          renderProgress();
          controller.enqueue(value);
        } catch (error) {
          ended(name);
          failed(error);
          controller.error(error);
        }
      },
      cancel(reason) {
        ended(name);
        return reader.cancel(reason);
      },
    });
  }

  // The answer to a request for the file, counted in the progress from now;
  // { error } or { status } when the request failed or was refused.
  async function request(name) {
    started(name);
    try {
      const response = await fetch(name);
      if (response.ok && response.body) return response;
      ended(name);
      return { status: response.status };
    } catch (error) {
      ended(name);
      return { error };
    }
  }

  // The file's bytes; null when it is missing or unreadable (the show then
  // runs without it).
  async function fetchFile(name) {
    const response = await request(name);
    if (!response.body) return null;
    try {
      return new Uint8Array(await new Response(counted(name, response)).arrayBuffer());
    } catch (error) {
      return null;
    }
  }

  // The compiled WebAssembly module of the file. It is compiled while it
  // arrives when the server names it application/wasm, as browsers
  // require for that; from the whole file once it is in otherwise. Throws
  // an Error whose message says what went wrong.
  async function compileModule(name) {
    const response = await request(name);
    if (response.error) throw new Error(`${name} could not be loaded: ${response.error.message || response.error}`);
    if (!response.body) throw new Error(`${name} could not be loaded (HTTP ${response.status})`);
    const type = (response.headers.get('Content-Type') || '').split(';')[0].trim().toLowerCase();
    let broken = null;
    const stream = counted(name, response, (error) => { broken = error; });
    const body = new Response(stream, { headers: { 'Content-Type': type || 'application/octet-stream' } });
    try {
      if (type === 'application/wasm' && typeof WebAssembly.compileStreaming === 'function') {
        return await WebAssembly.compileStreaming(body);
      }
      return await WebAssembly.compile(await body.arrayBuffer());
    } catch (error) {
      if (broken) throw new Error(`${name} could not be loaded: ${broken.message || broken}`);
      throw new Error(`${name} is not a usable WebAssembly module (the server sent it as "${type}"): ${error.message || error}`);
    }
  }

  return { show, note, setProgressSuffix, fetchFile, compileModule };
})();
