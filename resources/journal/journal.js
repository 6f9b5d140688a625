// The class table: polls the journal's sessions once a second and redraws the rows. Nothing is
// fetched from anywhere but the journal itself; every text goes in as text, never as markup.
"use strict";

const PollMs = 1000;
let sessions = [];

function byId(id) { return document.getElementById(id); }

function pad(n) { return String(n).padStart(2, "0"); }

function timeText(iso) {
  if (!iso) return "";
  const d = new Date(iso);
  if (isNaN(d)) return "";
  const now = new Date();
  const time = pad(d.getHours()) + ":" + pad(d.getMinutes()) + ":" + pad(d.getSeconds());
  if (d.toDateString() === now.toDateString()) return time;
  return pad(d.getDate()) + "." + pad(d.getMonth() + 1) + "." + d.getFullYear() + " " + time;
}

function scoreText(s) {
  if (s.Score === null || s.Score === undefined) return "";
  const score = Number.isInteger(s.Score) ? String(s.Score) : s.Score.toFixed(1);
  return s.MaxScore ? score + " / " + s.MaxScore : score;
}

function cell(row, text, cls) {
  const td = document.createElement("td");
  td.textContent = text;
  if (cls) td.className = cls;
  row.appendChild(td);
  return td;
}

function fillSelect(select, values, allText) {
  const chosen = select.value;
  const wanted = [""].concat(values);
  const have = Array.from(select.options).map(o => o.value);
  if (wanted.length === have.length && wanted.every((v, i) => v === have[i])) return;
  select.textContent = "";
  for (const v of wanted) {
    const o = document.createElement("option");
    o.value = v;
    o.textContent = v === "" ? allText : v;
    select.appendChild(o);
  }
  select.value = wanted.includes(chosen) ? chosen : "";
}

function distinct(key) {
  return Array.from(new Set(sessions.map(s => s[key]).filter(v => v !== ""))).sort((a, b) => a.localeCompare(b));
}

function render() {
  const testSelect = byId("filter-test");
  const groupSelect = byId("filter-group");
  fillSelect(testSelect, distinct("TestTitle"), "All tests");
  fillSelect(groupSelect, distinct("UserGroup"), "All groups");
  const test = testSelect.value;
  const group = groupSelect.value;

  const shown = sessions.filter(s => (!test || s.TestTitle === test) && (!group || s.UserGroup === group));
  const body = byId("rows");
  const fragment = document.createDocumentFragment();
  for (const s of shown) {
    const tr = document.createElement("tr");
    tr.className = s.Finished ? "finished" : "open";
    tr.dataset.session = s.SessionId;
    cell(tr, s.UserName || "(no name)");
    cell(tr, s.UserGroup);
    cell(tr, s.ComputerName);
    cell(tr, s.TestTitle);
    cell(tr, s.AskedCount + " / " + s.AskCount, "num");
    cell(tr, String(s.RightCount), "num");
    cell(tr, String(s.WrongCount), "num");
    cell(tr, scoreText(s), "num");
    cell(tr, timeText(s.StartedAt), "time");
    const state = cell(tr, s.Finished ? timeText(s.FinishedAt) : "not finished", "time state");
    if (!s.Finished) state.title = "No result has come for this session; last report " + timeText(s.UpdatedAt);
    cell(tr, s.Finished ? (s.MarkName || String(s.Mark)) : "", "mark");
    fragment.appendChild(tr);
  }
  body.replaceChildren(fragment);
  byId("empty").hidden = sessions.length !== 0;

  const finished = shown.filter(s => s.Finished).length;
  const summary = byId("summary");
  summary.classList.remove("stale");
  summary.textContent = shown.length + (shown.length === 1 ? " session, " : " sessions, ") + finished +
    " finished, " + (shown.length - finished) + " not finished. Updated " + timeText(new Date().toISOString()) + ".";

  const query = new URLSearchParams();
  if (test) query.set("test", test);
  if (group) query.set("group", group);
  const q = query.toString();
  byId("csv").href = "/api/results.csv" + (q ? "?" + q : "");
}

async function poll() {
  try {
    const response = await fetch("/api/sessions", { cache: "no-cache" });
    if (!response.ok) throw new Error("HTTP " + response.status);
    sessions = await response.json();
    render();
  } catch (e) {
    const summary = byId("summary");
    summary.classList.add("stale");
    summary.textContent = "The journal does not answer (" + e.message + "); the table shows what it last said.";
  }
  setTimeout(poll, PollMs);
}

document.addEventListener("DOMContentLoaded", () => {
  byId("filter-test").addEventListener("change", render);
  byId("filter-group").addEventListener("change", render);
  poll();
});
