// The page: a person plays Korvane. chess.js keeps the game and its rules (legal moves, check,
// mate and the draws); cm-chessboard draws the board and takes the person's moves by click or
// drag; Korvane answers from its worker (engine.mjs) with "go movetime" and the person's chosen
// think time, and its "info" lines are shown as they arrive.
//
// For tests and curious readers the body carries the game's state: data-state is "loading",
// "person" (the person's move), "engine" (Korvane thinks) or "over"; data-fen the position and
// data-moves the game's moves as the engine reads them, from the start.
import { Chess } from 'chess.js';
import { Chessboard, COLOR, FEN, INPUT_EVENT_TYPE } from 'cm-chessboard/src/Chessboard.js';
import { Markers, MARKER_TYPE } from 'cm-chessboard/src/extensions/markers/Markers.js';
import { PromotionDialog, PROMOTION_DIALOG_RESULT_TYPE } from 'cm-chessboard/src/extensions/promotion-dialog/PromotionDialog.js';

import { start_engine } from './engine.mjs';

const element = id => document.getElementById(id);

const game = new Chess();
let person = 'w';           // the colour the person plays
let engine_ready = false;
let awaited_bestmoves = 0;  // "go"s sent whose "bestmove" is still to come
let dropped_bestmoves = 0;  // of those, the ones that belong to a game or move taken back

const board = new Chessboard(element('board'), {
    position: FEN.start,
    assetsUrl: 'lib/cm-chessboard/assets/',
    style: { cssClass: 'default', showCoordinates: true, animationDuration: 200 },
    extensions: [{ class: Markers, props: { autoMarkers: MARKER_TYPE.frame } }, { class: PromotionDialog }],
});

let engine;
try {
    engine = start_engine(on_engine_line, (status, error) => {
        engine_ready = false;
        show_status(`Korvane stopped (${error ?? 'status ' + status}). Reload the page to start it again.`, 'over');
    });
    engine.send('uci');
    engine.send('isready');
} catch (error) {
    engine = { send() {} };
    queueMicrotask(() => show_status(`Korvane cannot start here: ${error.message}.`, 'over'));
}

// ---- The game's state on the page ----

function uci_moves()
{
    return game.history({ verbose: true }).map(move => move.lan);
}

function show_status(text, state)
{
    element('status').textContent = text;
    document.body.dataset.state = state;
    document.body.dataset.fen = game.fen();
    document.body.dataset.moves = uci_moves().join(' ');
}

function show_moves()
{
    const list = element('moves');
    list.replaceChildren();
    const history = game.history();
    for (let i = 0; i < history.length; i += 2) {
        const item = document.createElement('li');
        item.textContent = history[i] + (i + 1 < history.length ? '  ' + history[i + 1] : '');
        list.append(item);
    }
    list.scrollTop = list.scrollHeight;
}

// The end of the game, from chess.js's rules, or null while it goes on.
function result_text()
{
    if (game.isCheckmate())
        return game.turn() === person ? 'Checkmate: Korvane wins.' : 'Checkmate: you win!';
    if (game.isStalemate())
        return 'Stalemate: a draw.';
    if (game.isInsufficientMaterial())
        return 'Draw: neither side can mate.';
    if (game.isThreefoldRepetition())
        return 'Draw by threefold repetition.';
    if (game.isDraw())
        return 'Draw by the fifty-move rule.';
    return null;
}

function mark_last_move()
{
    board.removeMarkers(MARKER_TYPE.square);
    board.removeMarkers(MARKER_TYPE.circleDanger);
    const last = game.history({ verbose: true }).at(-1);
    if (last) {
        board.addMarker(MARKER_TYPE.square, last.from);
        board.addMarker(MARKER_TYPE.square, last.to);
    }
    if (game.inCheck()) {
        const king = game.findPiece({ type: 'k', color: game.turn() })[0];
        if (king)
            board.addMarker(MARKER_TYPE.circleDanger, king);
    }
}

// After every change of the game: the board, the list, and whose move it is. The board takes
// moves again only once it has drawn the last one (it drops input while pieces move).
let turn_number = 0;
async function next_turn()
{
    const turn = ++turn_number;
    board.disableMoveInput();
    show_moves();
    await board.setPosition(game.fen(), true);
    if (turn !== turn_number)
        return; // the game changed again meanwhile
    mark_last_move();
    const result = result_text();
    if (result) {
        show_status(result, 'over');
        return;
    }
    if (!engine_ready) {
        show_status('Starting Korvane…', 'loading');
        return;
    }
    const check = game.inCheck() ? 'Check! ' : '';
    if (game.turn() === person) {
        show_status(check + 'Your move.', 'person');
        board.enableMoveInput(on_person_input, person === 'w' ? COLOR.white : COLOR.black);
    } else {
        show_status(check + 'Korvane is thinking…', 'engine');
        ask_engine();
    }
}

// ---- The person's moves ----

function try_move(move)
{
    try {
        return game.move(move);
    } catch {
        return null; // not legal: chess.js refuses it
    }
}

function on_person_input(event)
{
    if (event.type === INPUT_EVENT_TYPE.moveInputStarted)
        return game.moves({ square: event.squareFrom }).length > 0;
    if (event.type !== INPUT_EVENT_TYPE.validateMoveInput)
        return true;
    const from = event.squareFrom;
    const to = event.squareTo;
    const promotion = game.moves({ square: from, verbose: true }).some(move => move.to === to && move.promotion);
    if (promotion) {
        board.showPromotionDialog(to, person === 'w' ? COLOR.white : COLOR.black, choice => {
            if (choice.type === PROMOTION_DIALOG_RESULT_TYPE.pieceSelected)
                try_move({ from, to, promotion: choice.piece.charAt(1) });
            next_turn();
        });
        return true;
    }
    if (!try_move({ from, to }))
        return false; // the board puts the piece back
    // Castling, en passant and the rest of the position are drawn once the board has moved the piece.
    board.state.moveInputProcess.then(next_turn);
    return true;
}

// ---- Korvane's moves ----

function ask_engine()
{
    engine.send('position startpos' + (game.history().length ? ' moves ' + uci_moves().join(' ') : ''));
    engine.send('go movetime ' + element('strength').value);
    awaited_bestmoves++;
    clear_thinking();
}

// Ends a search whose answer is no longer wanted, and forgets every answer still to come.
function drop_search()
{
    if (awaited_bestmoves > dropped_bestmoves) {
        dropped_bestmoves = awaited_bestmoves;
        engine.send('stop');
    }
}

function clear_thinking()
{
    for (const id of ['depth', 'score', 'speed', 'line'])
        element(id).textContent = '–';
}

// "info depth D score cp|mate V time T nodes N nps S pv M1 M2 ...": shown with the variation in
// the moves' usual names, from the position Korvane is thinking about.
function show_thinking(words)
{
    const at = word => words.indexOf(word);
    if (at('pv') < 0 || at('score') < 0)
        return;
    element('depth').textContent = words[at('depth') + 1];
    const kind = words[at('score') + 1];
    const value = Number(words[at('score') + 2]);
    element('score').textContent = kind === 'mate' ? (value > 0 ? `Korvane mates in ${value}` : `mated in ${-value}`)
                                                   : `${value >= 0 ? '+' : ''}${(value / 100).toFixed(2)} for Korvane`;
    if (at('nps') >= 0)
        element('speed').textContent = `${Math.round(Number(words[at('nps') + 1]) / 1000)} thousand positions a second`;
    const line = new Chess(game.fen());
    const names = [];
    for (const uci of words.slice(at('pv') + 1)) {
        const move = uci ? try_move_on(line, uci) : null;
        if (!move)
            break;
        names.push(move.san);
    }
    element('line').textContent = names.join(' ');
}

function try_move_on(chess, uci)
{
    try {
        return chess.move({ from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] });
    } catch {
        return null;
    }
}

function on_engine_line(line)
{
    const words = line.split(' ');
    if (words[0] === 'readyok' && !engine_ready) {
        engine_ready = true;
        next_turn();
    } else if (words[0] === 'info' && awaited_bestmoves > dropped_bestmoves) {
        show_thinking(words);
    } else if (words[0] === 'bestmove') {
        awaited_bestmoves--;
        if (dropped_bestmoves > 0) {
            dropped_bestmoves--;
            return;
        }
        if (!try_move_on(game, words[1])) {
            show_status(`Korvane answered an illegal move, ${words[1]}: the game stops here.`, 'over');
            return;
        }
        next_turn();
    }
}

// ---- Buttons ----

element('new-game').addEventListener('click', () => {
    drop_search();
    board.disableMoveInput();
    person = element('colour').value;
    game.reset();
    board.setOrientation(person === 'w' ? COLOR.white : COLOR.black);
    engine.send('ucinewgame');
    clear_thinking();
    next_turn();
});

// Takes back the person's last move and Korvane's answer to it, if any, or the person's move
// that Korvane is thinking about.
element('take-back').addEventListener('click', () => {
    const history = game.history({ verbose: true });
    const last_own = history.findLastIndex(move => move.color === person);
    if (last_own < 0)
        return;
    drop_search();
    while (game.history().length > last_own)
        game.undo();
    clear_thinking();
    next_turn();
});

element('flip').addEventListener('click', () => {
    board.setOrientation(board.getOrientation() === COLOR.white ? COLOR.black : COLOR.white);
    mark_last_move();
});

show_status('Starting Korvane…', 'loading');
