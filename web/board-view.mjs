// The board: cm-chessboard draws the position of the ply shown, the last move and a king in
// check, turned to the orientation chosen. A step of one move slides that move's piece; any
// later change redraws at once, cutting the slide short, so that quick steps never queue
// animations behind each other. A screen reader gets the board as a table and moves on it with
// the keyboard (cm-chessboard's accessibility extension). The body's data-state says when the
// board shows the state and takes moves again: "busy" while it draws, then the page's state.
import { Chessboard, COLOR } from 'cm-chessboard/src/Chessboard.js';
import { Accessibility } from 'cm-chessboard/src/extensions/accessibility/Accessibility.js';
import { ARROW_TYPE, Arrows } from 'cm-chessboard/src/extensions/arrows/Arrows.js';
import { MARKER_TYPE, Markers } from 'cm-chessboard/src/extensions/markers/Markers.js';
import { EXTENSION_POINT, Extension } from 'cm-chessboard/src/model/Extension.js';
import { PromotionDialog } from 'cm-chessboard/src/extensions/promotion-dialog/PromotionDialog.js';

import { board_input } from './board-input.mjs';
import { in_check, king_square } from './game.mjs';
import { judgement_at } from './review.mjs';
import { board_position, game_review, page_state, person_may_move, state, subscribe } from './store.mjs';

const SLIDE_MS = 180;
const BOARD_NAME = 'Chess board. Arrow keys choose a square, Enter takes a piece and then its square; or type a move in the field below.';

let board = null;

// The accessibility extension's table of the board leaves its corner heading empty, which a
// screen reader announces as a blank; it is named after each redraw of the table.
class TableCorner extends Extension
{
    constructor(chessboard)
    {
        super(chessboard);
        const name = () => {
            const corner = chessboard.context.querySelector('.cm-chessboard-accessibility th:empty');
            if (corner)
                corner.textContent = 'Rank';
        };
        this.registerExtensionPoint(EXTENSION_POINT.positionChanged, name);
        this.registerExtensionPoint(EXTENSION_POINT.boardChanged, name);
    }
}

let shown = { fen: null, marks: null, may: null };  // what the board shows, marks and allows
let last_change = -Infinity;
let drawing = false;
let on_input = null;

function busy()
{
    board.disableMoveInput();
    shown.may = null;
    document.body.dataset.state = 'busy';
}

// The piece to slide for a step of one move from the position shown, as [from, to], or null.
function one_step(from_fen)
{
    const { game, view } = state;
    if (view > 0 && game.fens[view - 1] === from_fen)
        return [game.moves[view - 1].slice(0, 2), game.moves[view - 1].slice(2, 4)];
    if (game.fens[view + 1] === from_fen)
        return [game.moves[view].slice(2, 4), game.moves[view].slice(0, 2)];
    return null;
}

function slide([from, to])
{
    const piece = board.view.piecesGroup.querySelector(`g[data-square="${to}"]`);
    const a = board.view.squareToPoint(from);
    const b = board.view.squareToPoint(to);
    piece?.animate([{ translate: `${a.x - b.x}px ${a.y - b.y}px` }, { translate: '0px 0px' }], { duration: SLIDE_MS, easing: 'ease-in-out' });
}

async function show_position(fen)
{
    // A slide only from what the board shows as drawn (not after the person's own hand moved a
    // piece), and only when the board is at rest.
    const step = board.getPosition() === shown.fen?.split(' ')[0] && performance.now() - last_change >= SLIDE_MS ? one_step(shown.fen) : null;
    await board.setPosition(fen, false);
    last_change = performance.now();
    shown.fen = fen;
    if (step)
        slide(step);
}

// The move that led to the position shown, a king in check, and the arrow of a better move: the
// review's best move where the move shown was judged, or the solution in "learn from your mistakes".
function marks_of(state_)
{
    const { fen, move } = board_position(state_);
    const { learn, game, view } = state_;
    const review = game_review(state_);
    let arrow = null;
    if (learn?.status === 'solution')
        arrow = learn.solution.uci;
    else if (!learn && review && view > 0 && judgement_at(game, review, view))
        arrow = review.positions[view - 1]?.best ?? null;
    return { fen, move, arrow, key: `${fen}|${move}|${arrow}` };
}

function mark_moves(marks)
{
    board.removeMarkers(MARKER_TYPE.square);
    board.removeMarkers(MARKER_TYPE.circleDanger);
    board.removeArrows();
    if (marks.move) {
        board.addMarker(MARKER_TYPE.square, marks.move.slice(0, 2));
        board.addMarker(MARKER_TYPE.square, marks.move.slice(2, 4));
    }
    if (in_check(marks.fen))
        board.addMarker(MARKER_TYPE.circleDanger, king_square(marks.fen));
    if (marks.arrow)
        board.addArrow(ARROW_TYPE.info, marks.arrow.slice(0, 2), marks.arrow.slice(2, 4));
    shown.marks = marks.key;
}

async function draw()
{
    drawing = true;
    try {
        for (;;) {
            const colour = state.orientation === 'b' ? COLOR.black : COLOR.white;
            if (board.getOrientation() !== colour) {
                busy();
                await board.setOrientation(colour);
            } else if (board_position(state).fen !== shown.fen) {
                busy();
                await show_position(board_position(state).fen);
            } else {
                break;
            }
        }
        const marks = marks_of(state);
        if (marks.key !== shown.marks)
            mark_moves(marks);
        const may = person_may_move(state);
        if (may !== shown.may) {
            board.disableMoveInput();
            if (may)
                board.enableMoveInput(on_input, may === 'any' ? undefined : may === 'w' ? COLOR.white : COLOR.black);
            shown.may = may;
        }
        document.body.dataset.state = page_state(state);
    } finally {
        drawing = false;
    }
}

function redraw()
{
    shown = { fen: null, marks: null, may: null };
    if (!drawing)
        draw();
}

export function start_board_view()
{
    board = new Chessboard(document.getElementById('board'), {
        position: state.game.fens[state.view],
        orientation: state.orientation === 'b' ? COLOR.black : COLOR.white,
        assetsUrl: 'lib/cm-chessboard/assets/',
        style: { cssClass: 'default', showCoordinates: true, animationDuration: SLIDE_MS },
        extensions: [
            { class: Markers, props: { autoMarkers: MARKER_TYPE.frame } },
            { class: Arrows },
            { class: PromotionDialog },
            { class: Accessibility, props: { language: 'en', brailleNotationInAlt: false, movePieceForm: false, boardAsTable: true,
                                             piecesAsList: false, keyboardMoveInput: true, visuallyHidden: true } },
            { class: TableCorner },
        ],
    });
    board.view.svg.setAttribute('aria-label', BOARD_NAME);
    on_input = board_input(board, redraw);
    subscribe(() => {
        if (!drawing)
            draw();
    });
}
