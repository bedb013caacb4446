%% Neural network function for Matlab created by Nodelyx V2.20
%% Network file name: /home/ann/nets/deep.net
%% Structure:         2/3/2/2/1
%% Date:              Tue Mar  5 09:04:01 2024
%%
%% function outputs = deep(inputs)
%%
%% This function implements a neural network trained
%% by Nodelyx that has 2 inputs and 1 outputs.
%% The input argument 'inputs' is a matrix arranged
%% in column format, i.e. one column per pattern and
%% one row for each neural network input.
%% The function output is a matrix with one row for
%% each neural network output and one column for each pattern.


function outputs = deep(inputs)

%%
%% Check the number of input arguments
if (nargin ~= 1 | size(inputs,1) ~= 2)
    outputs = [];
    disp('inputs must be a 2 by n matrix');
    return
end

INPUTS = 2;

inputs = inputs';

%% Weight arrays 
W_In_H1 = [
 0.3333333333333333, -12345.678, 2.5e-07;
 1.1, -1.11, -2;
 1.2, -1.21, -2.5; ];

W_H1_H2 = [
 2, -2.01, 2.02, -2.5;
 2.1, -2.11, 2.12, -3; ];

W_H2_H3 = [
 3, -3.01, -3.5;
 3.1, -3.11, -4; ];

W_H3_Out = [
 4, -4.01, -4.5; ];


%% Scale factors 
R_MIN = [ -3, -3.3333333333333335, -3.6666666666666665];
R_MAX = [ 1000000.1, 1000001.1, 1000002.1];
S_MIN = [ -1, -1, 0];
S_MAX = [ 1, 1, 1];
%% Scale factor for inputs
Finps = (S_MAX(1:INPUTS) - S_MIN(1:INPUTS)) ./ (R_MAX(1:INPUTS) - R_MIN(1:INPUTS));


Finps_mat = [];
Smin_mat = [];
Rmin_mat = [];
for i = 1:size(inputs,1)
    Finps_mat = [Finps_mat; Finps];
    Smin_mat = [Smin_mat; S_MIN(1:INPUTS)];
    Rmin_mat = [Rmin_mat; R_MIN(1:INPUTS)];
end
%% Scale the inputs
inputs = Finps_mat .* inputs + Smin_mat - (Finps_mat .* Rmin_mat);

%%  Compute hidden layer #1 
%%  Add bias to inputs and transpose the matrix 
inputs = [inputs ones(size(inputs,1),1)]'; 
%%  Get weighted sum and perform non-linear function 
tmp = W_In_H1 * inputs;
hidden1 = tanh(tmp);

%%  Compute hidden layer #2 
%%  Add bias to hidden1
hidden1 = [hidden1; ones(1, size(hidden1,2))];
%%  Get weighted sum and perform non-linear function 
tmp = W_H1_H2 * hidden1;
hidden2 = tmp;

%%  Compute hidden layer #3 
%%  Add bias to hidden2
hidden2 = [hidden2; ones(1, size(hidden2,2))];
%%  Get weighted sum and perform non-linear function 
tmp = W_H2_H3 * hidden2;
hidden3 = exp(-tmp.*tmp/2);

%% Compute network outputs 
%%  Add bias to hidden3 
hidden3 = [hidden3; ones(1, size(hidden3,2))];
%%  Get weighted sum and perform non-linear function 
tmp = W_H3_Out * hidden3;
outputs = 1./(1 + exp(-tmp));

%% Transpose the matrix so the new matrix has p rows and OUTPUTS columns
outputs = outputs';

%% Unscale the outputs

%% Scale factor for outputs
Fouts = (R_MAX(INPUTS+1:length(R_MAX)) - R_MIN(INPUTS+1:length(R_MIN))) ./ (S_MAX(INPUTS+1:length(S_MAX)) - S_MIN(INPUTS+1:length(S_MIN)));
Fouts_mat = [];
Smin_mat = [];
Rmin_mat = [];
for i = 1:size(outputs,1)
    Fouts_mat = [Fouts_mat; Fouts];
    Smin_mat = [Smin_mat; S_MIN(INPUTS+1:length(S_MIN))];
    Rmin_mat = [Rmin_mat; R_MIN(INPUTS+1:length(R_MIN))];
end

outputs = Fouts_mat .* outputs + Rmin_mat - (Fouts_mat .* Smin_mat);
outputs = outputs';

%% end of file
