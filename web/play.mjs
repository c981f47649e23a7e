// The page: a person plays Korvane, or lets it analyse; the game is kept across reloads and can
// be saved and loaded as PGN or FEN. chess.js keeps the rules (game.mjs), cm-chessboard draws
// the board and takes moves by click, drag or touch, Korvane thinks in a worker (engine.mjs), a
// second Korvane evaluates every position of the game for its graph (graph.mjs), and the
// evaluation tool explains the static evaluation of the position on the board (terms.mjs).
//
// For tests and curious readers the body carries the page's state: data-state is "loading",
// "person" (the person's move), "engine" (Korvane thinks), "over" (the game has ended),
// "review" (an earlier position is shown while playing), "analysis", or "busy" while the board
// is drawing a change; data-fen the position on
// the board, data-moves the game's moves as the engine reads them, data-view the ply shown,
// data-graph "none", "running" or "done", data-thinking-fen the position the thinking shown is
// about and data-terms-fen the one the term table explains.
import { Chess } from 'chess.js';
import { Chessboard, COLOR, FEN, INPUT_EVENT_TYPE } from 'cm-chessboard/src/Chessboard.js';
import { Markers, MARKER_TYPE } from 'cm-chessboard/src/extensions/markers/Markers.js';
import { PromotionDialog, PROMOTION_DIALOG_RESULT_TYPE } from 'cm-chessboard/src/extensions/promotion-dialog/PromotionDialog.js';

import { score_fraction, score_text, start_engine, white_score } from './engine.mjs';
import { START_FEN, chess_at, checked_fen, checked_pgn, game_end, game_pgn, make_game, pgn_date, position_command } from './game.mjs';
import { draw_graph } from './graph.mjs';
import { start_terms } from './terms.mjs';

// Korvane's levels, weakest first: a depth limit for the weak ones, a think time for the
// strong ones. Each is named by its strength measured against Stockfish's limited levels at
// 10 s + 0.1 s a game (the README gives the games behind each figure).
export const LEVELS = [
    { name: 'Beginner', elo: 950, go: 'go depth 1' },
    { name: 'Novice', elo: 1200, go: 'go depth 2' },
    { name: 'Improver', elo: 1500, go: 'go depth 3' },
    { name: 'Club player', elo: 1650, go: 'go depth 4' },
    { name: 'Strong club player', elo: 1750, go: 'go depth 5' },
    { name: 'Expert, 0.1 s a move', elo: 1800, go: 'go movetime 100' },
    { name: 'Master, 1 s a move', elo: 2000, go: 'go movetime 1000' },
    { name: 'Full strength, 3 s a move', elo: 2000, go: 'go movetime 3000' },
];
const DEFAULT_LEVEL = 3;
const GRAPH_GO = 'go depth 7';   // each position of the graph: quick, and the same every time
const STORE = 'korvane-page';     // the game and the settings, in the browser's local storage

const element = id => document.getElementById(id);
const level_text = level => `${LEVELS[level].name} (about ${LEVELS[level].elo})`;

// ---- The page's state ----

let game = make_game(START_FEN, [], {});
let view = 0;                 // the ply on the board
let mode = 'play';            // 'play' or 'analyse'
let person = 'w';             // the colour the person plays
let level = DEFAULT_LEVEL;
let korvane_side = 'b';       // the side Korvane played in a game of this page, null for a loaded one
let graph = null;             // { key, scores, running } once the person wants the graph
let thinking = null;          // what the thinking panel shows: { fen, depth, score, line }
let current = null;           // the engine's search: { key, search }
let engine_ready = false;
let engine_failed = null;

function new_tags()
{
    const korvane = `Korvane (${level_text(level)})`;
    return {
        Event: 'Casual game', Site: location.host || 'Korvane in the browser', Date: pgn_date(), Round: '-',
        White: person === 'w' ? 'You' : korvane, Black: person === 'w' ? korvane : 'You', Result: '*',
    };
}

function save()
{
    try {
        localStorage.setItem(STORE, JSON.stringify({
            start_fen: game.start_fen, moves: game.moves, tags: game.tags, view, mode, person, level, korvane_side,
            orientation: board.getOrientation(), graph: graph ? { key: graph.key, scores: graph.scores } : null,
        }));
    } catch {
        // Storage full or forbidden: the page works on, without surviving a reload.
    }
}

function restore()
{
    let saved;
    try {
        saved = JSON.parse(localStorage.getItem(STORE) ?? 'null');
    } catch {
        return;
    }
    if (!saved || typeof saved !== 'object' || !Array.isArray(saved.moves))
        return;
    const start = checked_fen(saved.start_fen ?? '');
    const restored = start.fen ? make_game(start.fen, saved.moves.map(String), saved.tags ?? {}) : null;
    if (!restored)
        return;
    game = restored;
    view = Number.isInteger(saved.view) ? Math.max(0, Math.min(saved.view, game.moves.length)) : game.moves.length;
    mode = saved.mode === 'analyse' ? 'analyse' : 'play';
    person = saved.person === 'b' ? 'b' : 'w';
    level = Number.isInteger(saved.level) && LEVELS[saved.level] ? saved.level : DEFAULT_LEVEL;
    korvane_side = saved.korvane_side === 'w' || saved.korvane_side === 'b' ? saved.korvane_side : null;
    if (saved.graph && saved.graph.key === graph_key() && Array.isArray(saved.graph.scores))
        graph = { key: saved.graph.key, scores: saved.graph.scores, running: false };
    else if (saved.graph)
        graph = { key: null, scores: [], running: false };  // wanted, for another game: worked out again
    if (saved.orientation === COLOR.black)
        board.setOrientation(COLOR.black);
}

// ---- The board ----

const board = new Chessboard(element('board'), {
    position: FEN.start,
    assetsUrl: 'lib/cm-chessboard/assets/',
    style: { cssClass: 'default', showCoordinates: true, animationDuration: 200 },
    extensions: [{ class: Markers, props: { autoMarkers: MARKER_TYPE.frame } }, { class: PromotionDialog }],
});

function mark_last_move()
{
    board.removeMarkers(MARKER_TYPE.square);
    board.removeMarkers(MARKER_TYPE.circleDanger);
    const last = game.moves[view - 1];
    if (last) {
        board.addMarker(MARKER_TYPE.square, last.slice(0, 2));
        board.addMarker(MARKER_TYPE.square, last.slice(2, 4));
    }
    const chess = chess_at(game, view);
    if (chess.inCheck()) {
        const king = chess.findPiece({ type: 'k', color: chess.turn() })[0];
        if (king)
            board.addMarker(MARKER_TYPE.circleDanger, king);
    }
}

// Whether the person may move on the board now, and with which colour (undefined: either).
function person_may_move()
{
    if (!engine_ready || engine_failed)
        return null;
    if (mode === 'analyse')
        return game_end(game, view) ? null : { color: undefined };
    if (view !== game.moves.length || game_end(game, view) || chess_at(game, view).turn() !== person)
        return null;
    return { color: person === 'w' ? COLOR.white : COLOR.black };
}

// The person's move on the board: in analysis from any position (the rest of the game gives way
// to it), in play from the game's last one.
function play_person_move(move)
{
    const chess = chess_at(game, view);
    let made;
    try {
        made = chess.move(move);
    } catch {
        return false;  // not legal: chess.js refuses it
    }
    set_game(make_game(game.start_fen, [...game.moves.slice(0, view), made.lan], game.tags), view + 1);
    return true;
}

function on_person_input(event)
{
    const chess = chess_at(game, view);
    if (event.type === INPUT_EVENT_TYPE.moveInputStarted)
        return chess.moves({ square: event.squareFrom }).length > 0;
    if (event.type !== INPUT_EVENT_TYPE.validateMoveInput)
        return true;
    const from = event.squareFrom;
    const to = event.squareTo;
    const moves = chess.moves({ square: from, verbose: true }).filter(move => move.to === to);
    if (moves.length === 0)
        return false;  // the board puts the piece back
    if (moves.some(move => move.promotion)) {
        board.showPromotionDialog(to, chess.turn() === 'w' ? COLOR.white : COLOR.black, choice => {
            if (choice.type === PROMOTION_DIALOG_RESULT_TYPE.pieceSelected)
                play_person_move({ from, to, promotion: choice.piece.charAt(1) });
            else
                refresh();
        });
        return true;
    }
    // Castling, en passant and the rest of the position are drawn once the board has moved the piece.
    board.state.moveInputProcess.then(() => play_person_move({ from, to }));
    return true;
}

// ---- Changes of the game ----

function graph_key()
{
    return game.start_fen + '|' + game.moves.join(' ');
}

// Replaces the game (or changes the ply shown) and brings the page up to date.
function set_game(next, next_view = next.moves.length)
{
    const ended_before = game_end(game, game.moves.length) !== null;
    game = next;
    view = Math.max(0, Math.min(next_view, game.moves.length));
    const ended = game_end(game, game.moves.length) !== null;
    if (graph || (ended && !ended_before && mode === 'play'))
        want_graph();
    save();
    refresh();
}

function show_ply(ply)
{
    view = Math.max(0, Math.min(ply, game.moves.length));
    save();
    refresh();
}

// ---- Korvane's search: playing, or analysing the position on the board ----

// The search the page wants now, or null.
function wanted_search()
{
    if (!engine_ready || engine_failed)
        return null;
    const last = game.moves.length;
    if (mode === 'analyse') {
        if (game_end(game, view))
            return null;
        return { kind: 'analyse', ply: view, position: position_command(game, view), go: 'go infinite' };
    }
    if (game_end(game, last) || chess_at(game, last).turn() === person)
        return null;
    return { kind: 'play', ply: last, position: position_command(game, last), go: LEVELS[level].go };
}

function steer_engine()
{
    const wanted = wanted_search();
    const key = wanted ? `${wanted.kind}|${wanted.position}|${wanted.go}` : null;
    if ((current?.key ?? null) === key)
        return;
    current?.search.cancel();
    current = null;
    thinking = null;
    if (!wanted)
        return;
    const fen = game.fens[wanted.ply];
    const turn = fen.split(' ')[1];
    thinking = { fen, depth: null, score: null, line: '' };
    const shown = thinking;
    const search = engine.search(wanted.position, wanted.go, {
        on_info(words)
        {
            const score = white_score(words, turn);
            if (!score || words.indexOf('pv') < 0)
                return;
            shown.depth = Number(words[words.indexOf('depth') + 1]);
            shown.score = score;
            shown.line = line_names(fen, words.slice(words.indexOf('pv') + 1));
            show_thinking();
        },
        on_done(words)
        {
            if (wanted.kind !== 'play')
                return;
            current = null;
            const uci = words[1] ?? '';
            const chess = new Chess(fen);
            try {
                chess.move({ from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] });
            } catch {
                engine_failed = `Korvane answered an illegal move, ${uci}: the game stops here.`;
                refresh();
                return;
            }
            const at_end = view === game.moves.length;
            set_game(make_game(game.start_fen, [...game.moves, uci], game.tags), at_end ? game.moves.length + 1 : view);
        },
    });
    current = { key, search };
}

// A principal variation in the moves' usual names, from the position it starts at.
function line_names(fen, moves)
{
    const chess = new Chess(fen);
    const names = [];
    for (const uci of moves) {
        try {
            names.push(chess.move({ from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] }).san);
        } catch {
            break;
        }
    }
    return names.join(' ');
}

// ---- The evaluation graph, from a Korvane of its own ----

let graph_engine = null;
let graph_search = null;

function want_graph()
{
    graph ??= { key: null, scores: [], running: false };
    const key = graph_key();
    if (graph.key !== key) {
        // Keep what is known of the positions the new game shares with the old one: all of
        // them up to the first move that differs (a forced move's borrowed score is worked out
        // again, as what follows it may have changed).
        const scores = Array(game.moves.length + 1).fill(null);
        const [old_start, old_line] = graph.key ? graph.key.split('|') : [null, ''];
        if (old_start === game.start_fen) {
            const old_moves = old_line.split(' ').filter(Boolean);
            let shared = 0;
            while (shared < old_moves.length && shared < game.moves.length && old_moves[shared] === game.moves[shared])
                ++shared;
            for (let ply = 0; ply <= shared && ply < graph.scores.length; ++ply)
                scores[ply] = graph.scores[ply] && !graph.scores[ply].filled ? graph.scores[ply] : null;
        }
        graph_search?.cancel();
        graph_search = null;
        graph = { key, scores, running: false };
    }
    run_graph();
}

function terminal_score(ply)
{
    const end = game_end(game, ply);
    if (!end)
        return null;
    return end.result === '1-0' ? { result: '1-0' } : end.result === '0-1' ? { result: '0-1' } : { cp: 0 };
}

function run_graph()
{
    if (!graph || graph_search)
        return;
    const ply = graph.scores.findIndex(score => score === null);
    if (ply < 0) {
        graph.running = false;
        fill_forced_moves();
        save();
        refresh();
        return;
    }
    const end = terminal_score(ply);
    if (end) {
        graph.scores[ply] = end;
        run_graph();
        return;
    }
    if (!graph_engine) {
        try {
            graph_engine = start_engine((status, error) => { graph_engine = null; console.warn(`the graph's Korvane stopped: ${error ?? status}`); });
        } catch {
            return;
        }
    }
    graph.running = true;
    const turn = game.fens[ply].split(' ')[1];
    let last = null;
    const key = graph.key;
    graph_search = graph_engine.search(position_command(game, ply), GRAPH_GO, {
        on_info(words)
        {
            last = white_score(words, turn) ?? last;
        },
        on_done()
        {
            graph_search = null;
            if (!graph || graph.key !== key)
                return;
            // A single legal reply ends the search at once, without a score: the position after
            // the forced move stands in for it.
            graph.scores[ply] = last ?? { pending: true };
            show_graph();
            run_graph();
        },
    });
    show_graph();
}

function fill_forced_moves()
{
    for (let ply = graph.scores.length - 1; ply >= 0; --ply)
        if (graph.scores[ply]?.pending)
            graph.scores[ply] = { ...(graph.scores[ply + 1] ?? { cp: 0 }), filled: true };
}

function graph_scores()
{
    return graph ? graph.scores.map(score => (score && !score.pending ? score : null)) : [];
}

function show_graph()
{
    const svg = element('graph');
    const progress = element('graph-progress');
    if (!graph) {
        document.body.dataset.graph = 'none';
        element('graph-box').hidden = true;
        return;
    }
    element('graph-box').hidden = false;
    const done = graph.scores.filter(score => score !== null).length;
    const total = graph.scores.length;
    const running = done < total;
    document.body.dataset.graph = running ? 'running' : 'done';
    progress.hidden = !running;
    progress.max = total;
    progress.value = done;
    element('graph-status').textContent = running ? `Evaluating the game: ${done} of ${total} positions…` :
                                                    `Korvane's evaluation of each position (${GRAPH_GO.slice(3)}); click to go there.`;
    draw_graph(svg, graph_scores(), view, show_ply);
}

// ---- What the page shows ----

// In analysis the thinking about the position on the board; in play Korvane's latest thinking,
// also once it has moved.
function show_thinking()
{
    const here = thinking && thinking.fen === game.fens[view] ? thinking : null;
    const shown = mode === 'play' ? thinking : here;
    element('depth').textContent = shown?.depth ?? '–';
    element('score').textContent = shown?.score ? score_text(shown.score) : '–';
    element('line').textContent = shown?.line || '–';
    document.body.dataset.thinkingFen = shown?.score ? shown.fen : '';
    const latest = mode === 'play' && view >= game.moves.length - 1 ? thinking?.score : null;
    show_eval_bar(here?.score ?? latest ?? graph_scores()[view] ?? null);
}

function show_eval_bar(score)
{
    const fraction = score ? score_fraction(score) : 0;
    const white_share = ((1 + fraction) / 2) * 100;
    element('eval-fill').style.height = `${white_share.toFixed(1)}%`;
    element('eval-bar').classList.toggle('black-bottom', board.getOrientation() === COLOR.black);
    element('eval-bar').title = score ? `Evaluation: ${score_text(score)} (White's view)` : 'No evaluation yet';
    element('eval-text').textContent = score ? score_text(score) : '';
}

// The moves as a score sheet: one row per move number, White's move and Black's beside it.
function show_moves()
{
    const list = element('moves');
    list.replaceChildren();
    const first_black = game.fens[0].split(' ')[1] === 'b';
    const first_number = Number(game.fens[0].split(' ')[5]) || 1;
    let row = null;
    game.sans.forEach((san, i) => {
        const ply = i + 1;
        const black = (i % 2 === 1) !== first_black;
        if (!row || !black) {
            row = document.createElement('li');
            const number = document.createElement('span');
            number.className = 'number';
            number.textContent = `${first_number + Math.floor((i + (first_black ? 1 : 0)) / 2)}.`;
            row.append(number);
            if (black)
                row.append(document.createElement('span'));
            list.append(row);
        }
        const button = document.createElement('button');
        button.type = 'button';
        button.className = 'move';
        button.textContent = san;
        button.dataset.ply = ply;
        if (ply === view)
            button.setAttribute('aria-current', 'true');
        button.addEventListener('click', () => show_ply(ply));
        row.append(button);
    });
    const shown = list.querySelector('[aria-current]');
    if (shown)
        list.scrollTop = Math.max(0, shown.offsetTop - list.clientHeight / 2);
}

function show_status()
{
    const last = game.moves.length;
    const end = game_end(game, view);
    let text;
    let state;
    if (engine_failed) {
        text = engine_failed;
        state = 'over';
    } else if (!engine_ready) {
        text = 'Starting Korvane…';
        state = 'loading';
    } else if (mode === 'analyse') {
        text = end ? `${end.text} ` : '';
        text += end ? 'Step back to analyse an earlier position.' : 'Korvane analyses the position on the board; move any piece to try a line.';
        state = 'analysis';
    } else if (view !== last) {
        text = `Move ${Math.ceil(view / 2)} of ${Math.ceil(last / 2)}: press → or » to return to the game.`;
        state = 'review';
    } else if (end) {
        const mine = end.result === (person === 'w' ? '1-0' : '0-1');
        const theirs = end.result === (person === 'w' ? '0-1' : '1-0');
        text = mine ? 'Checkmate: you win!' : theirs ? 'Checkmate: Korvane wins.' : end.text;
        state = 'over';
    } else {
        const check = chess_at(game, view).inCheck() ? 'Check! ' : '';
        const korvane_moves = chess_at(game, view).turn() !== person;
        text = check + (korvane_moves ? 'Korvane is thinking…' : 'Your move.');
        state = korvane_moves ? 'engine' : 'person';
    }
    element('status').textContent = text;
    document.body.dataset.fen = game.fens[view];
    document.body.dataset.moves = game.moves.join(' ');
    document.body.dataset.view = String(view);
    document.body.dataset.mode = mode;
    return state;
}

function show_record()
{
    element('pgn-out').value = game_pgn(game);
    element('fen-out').value = game.fens[view];
    element('thinking-title').textContent = mode === 'analyse' ? 'Analysis' : "Korvane's thinking";
    element('mode-play').checked = mode === 'play';
    element('mode-analyse').checked = mode === 'analyse';
    element('level').value = String(level);
    element('colour').value = person;
    element('take-back').disabled = game.moves.length === 0;
    element('first').disabled = element('back').disabled = view === 0;
    element('forward').disabled = element('last').disabled = view === game.moves.length;
}

// ---- The evaluation explained ----

let terms = null;
let terms_fen = null;

async function show_terms()
{
    const fen = game.fens[view];
    if (!terms || terms_fen === fen)
        return;
    terms_fen = fen;
    const explained = await terms.explain(fen);
    if (!explained || fen !== game.fens[view])
        return;
    const table = element('terms-body');
    table.replaceChildren();
    for (const row of explained.rows) {
        const tr = document.createElement('tr');
        tr.dataset.term = row.term;
        const name = document.createElement('th');
        name.scope = 'row';
        name.textContent = row.name;
        const meaning = document.createElement('div');
        meaning.className = 'meaning';
        meaning.textContent = row.meaning;
        name.append(meaning);
        tr.append(name);
        for (const value of [row.white, row.black, row.white - row.black]) {
            const td = document.createElement('td');
            td.textContent = String(value);
            tr.append(td);
        }
        table.append(tr);
    }
    const white_view = explained.drawn ? 0 : explained.sum.white - explained.sum.black;
    element('terms-white').textContent = String(explained.sum.white);
    element('terms-black').textContent = String(explained.sum.black);
    element('terms-total').textContent = String(explained.sum.white - explained.sum.black);
    const turn = fen.split(' ')[1] === 'w' ? 'White' : 'Black';
    const notes = [`Phase: ${explained.phase}.`];
    if (explained.notes.some(note => note.startsWith('material halved')))
        notes.push('Opposite-coloured bishops: both sides\' material is halved.');
    if (explained.drawn)
        notes.push('No pawns, rooks or queens, and a side with a lone minor piece: Korvane scores this ending 0, a draw, whatever the terms.');
    element('terms-notes').textContent = notes.join(' ');
    element('terms-result').textContent =
        `Korvane's evaluation: ${white_view > 0 ? '+' : ''}${white_view} centipawns from White's view ` +
        `(${explained.score} for ${turn}, the side to move).`;
    element('terms').dataset.white = String(white_view);
    element('terms').dataset.score = String(explained.score);
    document.body.dataset.termsFen = fen;
}

// ---- Everything, after every change ----

let refresh_number = 0;
async function refresh()
{
    const number = ++refresh_number;
    board.disableMoveInput();
    // The state is told once the board shows the position and takes moves again.
    document.body.dataset.state = 'busy';
    const state = show_status();
    show_moves();
    show_record();
    steer_engine();
    show_thinking();
    show_graph();
    show_terms();
    await board.setPosition(game.fens[view], true);
    if (number !== refresh_number)
        return;  // the page changed again meanwhile
    mark_last_move();
    const may = person_may_move();
    if (may)
        board.enableMoveInput(on_person_input, may.color);
    document.body.dataset.state = state;
}

// ---- The controls ----

function new_game()
{
    person = element('colour').value === 'b' ? 'b' : 'w';
    korvane_side = person === 'w' ? 'b' : 'w';
    mode = 'play';
    graph_search?.cancel();
    graph_search = null;
    graph = null;
    board.setOrientation(person === 'w' ? COLOR.white : COLOR.black);
    current?.search.cancel();
    current = null;
    engine.send('ucinewgame');
    set_game(make_game(START_FEN, [], new_tags()), 0);
}

function set_mode(next)
{
    mode = next;
    if (mode === 'play')
        view = game.moves.length;  // play goes on from the game's last position
    save();
    refresh();
}

// Takes back the person's last move and Korvane's answer to it, if any, or the person's move
// that Korvane is thinking about; in analysis, the game's last move.
function take_back()
{
    let keep = game.moves.length - 1;
    if (mode === 'play') {
        const chess = new Chess(game.start_fen);
        const movers = game.moves.map(uci => {
            const turn = chess.turn();
            chess.move({ from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] });
            return turn;
        });
        keep = movers.findLastIndex(turn => turn === person);
    }
    if (keep < 0)
        return;
    set_game(make_game(game.start_fen, game.moves.slice(0, keep), game.tags), keep);
}

function show_load_message(text, failed)
{
    const message = element('load-message');
    message.textContent = text;
    message.classList.toggle('failed', failed);
}

function load_pgn(text)
{
    const loaded = checked_pgn(text);
    if (loaded.error) {
        show_load_message(loaded.error, true);
        return;
    }
    korvane_side = null;
    graph = null;
    graph_search?.cancel();
    graph_search = null;
    const moves = loaded.game.moves.length;
    show_load_message(moves === 0 ? 'Loaded a game with no moves.' : `Loaded the game: ${Math.ceil(moves / 2)} moves.`, false);
    if (moves > 0)
        graph = { key: null, scores: [], running: false };
    set_game(loaded.game);
}

function load_fen(text)
{
    const checked = checked_fen(text);
    if (checked.error) {
        show_load_message(checked.error, true);
        return;
    }
    korvane_side = person === 'w' ? 'b' : 'w';
    graph = null;
    graph_search?.cancel();
    graph_search = null;
    const tags = new_tags();
    show_load_message('Loaded the position.', false);
    set_game(make_game(checked.fen, [], tags), 0);
}

element('new-game').addEventListener('click', new_game);
element('take-back').addEventListener('click', take_back);
element('flip').addEventListener('click', async () => {
    await board.setOrientation(board.getOrientation() === COLOR.white ? COLOR.black : COLOR.white);
    mark_last_move();
    show_thinking();
    save();
});
element('mode-play').addEventListener('change', () => set_mode('play'));
element('mode-analyse').addEventListener('change', () => set_mode('analyse'));
element('level').addEventListener('change', () => {
    level = Number(element('level').value);
    if (korvane_side && game.tags.Event === 'Casual game')
        game.tags[korvane_side === 'w' ? 'White' : 'Black'] = `Korvane (${level_text(level)})`;
    save();
    refresh();
});
element('first').addEventListener('click', () => show_ply(0));
element('back').addEventListener('click', () => show_ply(view - 1));
element('forward').addEventListener('click', () => show_ply(view + 1));
element('last').addEventListener('click', () => show_ply(game.moves.length));
element('make-graph').addEventListener('click', want_graph);
element('copy-pgn').addEventListener('click', async () => {
    try {
        await navigator.clipboard.writeText(element('pgn-out').value);
        show_load_message('The PGN is on the clipboard.', false);
    } catch {
        element('pgn-out').select();
        show_load_message('Copying was refused by the browser: the PGN is selected, copy it with Ctrl+C.', true);
    }
});
element('download-pgn').addEventListener('click', () => {
    const blob = new Blob([element('pgn-out').value], { type: 'application/x-chess-pgn' });
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = `korvane-${(game.tags.Date ?? pgn_date()).replace(/[^0-9]/g, '-').replace(/-+$/, '')}.pgn`;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
});
element('load-pgn').addEventListener('click', () => load_pgn(element('pgn-in').value));
element('load-fen').addEventListener('click', () => load_fen(element('fen-in').value));
element('pgn-file').addEventListener('change', async () => {
    const file = element('pgn-file').files[0];
    if (!file)
        return;
    const text = file.size > 4 * 1024 * 1024 ? '' : await file.text();
    if (!text) {
        show_load_message('This file is empty or too large for one game.', true);
        return;
    }
    element('pgn-in').value = text;
    load_pgn(text);
});
document.addEventListener('keydown', event => {
    if (event.target?.closest?.('input, textarea, select') || event.altKey || event.ctrlKey || event.metaKey)
        return;
    const to = { ArrowLeft: view - 1, ArrowRight: view + 1, Home: 0, End: game.moves.length }[event.key];
    if (to === undefined)
        return;
    event.preventDefault();
    show_ply(to);
});

for (const [index, each] of LEVELS.entries()) {
    const option = document.createElement('option');
    option.value = String(index);
    option.textContent = level_text(index);
    option.dataset.go = each.go;
    element('level').append(option);
}

// ---- Start ----

let engine;
try {
    engine = start_engine((status, error) => {
        engine_failed = `Korvane stopped (${error ?? 'status ' + status}). Reload the page to start it again.`;
        refresh();
    });
    engine.send('uci');
    engine.send('isready');
    engine.ready.then(() => {
        engine_ready = true;
        refresh();
    });
    terms = start_terms();
} catch (error) {
    engine = { send() {}, search() { return { cancel() {} }; }, log: [] };
    engine_failed = `Korvane cannot start here: ${error.message}.`;
}
globalThis.korvane_log = engine.log;  // what the engine was sent, for the tests

restore();
if (game.moves.length === 0 && !game.tags.Event)
    game.tags = new_tags();
if (graph)
    want_graph();
refresh();

if ('serviceWorker' in navigator)
    navigator.serviceWorker.register('sw.js').catch(error => console.warn(`offline use is not available: ${error.message}`));
